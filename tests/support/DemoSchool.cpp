#include "support/DemoSchool.h"

#include "common/MessageWindow.h"
#include "db/BlockDatabase.h"
#include "import/ErzKuB.h"
#include "import/PreAssign.h"
#include "import/Transfers.h"
#include "import/vfp/Container.h"
#include "platform/RunState.h"

#include <gtest/gtest.h>

namespace test {

bool importDemoSchool(platform::RunState& s, ui::Host& host) {
    s.VerwDbcPfad = QStringLiteral(KUBB_SOURCE_DIR "/data/demo/QZ.DBC");
    const vfp::Container container = vfp::Container::open(s.VerwDbcPfad);
    const QStringList years = importer::schoolYearLines(container);
    QString line;
    for (const QString& l : years)
        if (l.startsWith(QLatin1String("2009/2010")))
            line = l;
    if (line.isEmpty()) {
        ADD_FAILURE() << "the demo container has no school year 2009/2010";
        return false;
    }
    const importer::Selection sel{
        line.right(6), line.left(9), importer::previousKey(years, line.left(9)), {"2009", "2008"}};
    s.SchjBez = sel.schjBez;
    s.SchjID = sel.schjId;
    db::createDatabase(s.databasePath());
    importer::runTransfers(s, host, sel);
    common::frmFMld window(host);
    importer::Vorbesetzen(s, host, window);
    return true;
}

} // namespace test
