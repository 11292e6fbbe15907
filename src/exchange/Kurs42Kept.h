#pragma once

#include "exchange/Kurs42.h"

#include <QString>

// The values of the export's rows that the nine tables do not hold, as the JSON text kept in
// the table fremdname (db/KeptNames.h) beside the row they belong to. Reading fills only what
// the text holds, so a row the planner made here keeps the values it got from the tables.
namespace exchange::kurs42 {

QString keptBlocking(const Blocking& b);
QString keptStudent(const Student& s);
QString keptSubject(const Subject& s);
QString keptCourse(const Course& k);
QString keptRail(const Rail& r);
QString keptChoice(const Choice& w);

void restore(const QString& data, Blocking& b);
void restore(const QString& data, Student& s);
void restore(const QString& data, Subject& s);
void restore(const QString& data, Course& k);
void restore(const QString& data, Rail& r);
void restore(const QString& data, Choice& w);

} // namespace exchange::kurs42
