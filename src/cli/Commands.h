#pragma once

#include "cli/Cli.h"

namespace cli {

// Each command of kubb, in its own file.
int runCreate(const Args& a);
int runImport(const Args& a);
int runPrintRails(const Args& a);
int runPrintLists(const Args& a);
int runExport(const Args& a);
int runBlock(const Args& a);
int runEvaluate(const Args& a);
int runRules(const Args& a);
int runVariant(const Args& a);
int runImportKurs42(const Args& a);
int runExportKurs42(const Args& a);
int runExportUntis(const Args& a);
int runPropose(const Args& a);
int runTeachers(const Args& a);

} // namespace cli
