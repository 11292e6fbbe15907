#include "TestWorkspace.h"

#include "blocking/Model.h"
#include "placement/Layouts.h"

#include <algorithm>

namespace test {

QString saveQuestion(const QString& path) {
    return "Abspeichern Schienendaten in der Datei: " + path +
           "?\r\nDrücken Sie Nein für eine andere Datei, sonst Abbrechen!";
}

placement::SetzenK& Workspace::load() {
    window_ = std::make_unique<placement::SetzenK>(state, host);
    window_->Form_Load();
    window_->Bewerten(); // as the view asks once the window shows
    return *window_;
}

blocking::Evaluation Workspace::evaluation() {
    return blocking::evaluate(blocking::Model::load(connection(), {kYear, "2009/2010"}, 2009));
}

std::vector<blocking::VariantInfo> Workspace::variants() {
    return blocking::list(connection(), {kYear, "2009/2010"}, 2009);
}

void Workspace::rails(int n, const QVariant& hours) {
    for (int i = 1; i <= n; ++i)
        rail(i, QStringLiteral("S%1").arg(i), hours);
}

QString Workspace::single(int id, const QString& bez, Row extra) {
    subject(id + 10, "3");
    extra.emplace_back("KS_FA_ID1", subjectKey(id + 10));
    return course(id, bez, extra);
}

qint64 Workspace::wahl(int student, int subject, const QVariant& course) {
    return choice(studentKey(student), course, {},
                  {{"BG_FA_ID", subjectKey(subject)}, {"BG_ART", "S"}});
}

void Workspace::selectCourses(const QStringList& names) {
    ui::ListBox& l = window_->LNKurse;
    for (int i = 0; i < l.count(); ++i)
        l.setSelected(i, names.contains(l.line(i).left(5).trimmed()));
    window_->LNKurse_Click();
}

void Workspace::selectStudents(const std::vector<qint64>& bgIds) {
    ui::ListBox& l = window_->LSchueler;
    for (int i = 0; i < l.count(); ++i)
        l.setSelected(
            i, std::count(bgIds.begin(), bgIds.end(), placement::StudentLine::bgId(l.line(i))) > 0);
}

int Workspace::lineOf(qint64 bgId) {
    for (int i = 0; i < window_->LSchueler.count(); ++i)
        if (placement::StudentLine::bgId(window_->LSchueler.line(i)) == bgId)
            return i;
    return -1;
}

void Workspace::selectRails(int c1, int c2) {
    grid().setSelStartCol(c1);
    grid().setSelEndCol(c2);
}

void Workspace::fill(const QString& course, int c1, int c2) {
    selectCourses({course});
    selectRails(c1, c2);
    window_->click("cmdSchA");
}

QStringList Workspace::column(int c) {
    QStringList out;
    for (int r = 0; r < grid().Rows(); ++r)
        out << grid().TextMatrix(r, c);
    return out;
}

QStringList Workspace::columns() {
    QStringList out;
    for (int c = 0; c < grid().Cols(); ++c)
        out << column(c).join(QLatin1Char('|'));
    return out;
}

bool Workspace::close(ui::Answer answer, const std::function<void(ScriptedHost&)>& then) {
    host.onMessage(saveQuestion(state.databasePath()), answer);
    if (then)
        then(host);
    return window_->Form_Unload() == placement::SetzenK::Closing::Close;
}

} // namespace test
