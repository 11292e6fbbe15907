#include "export/frmGPU.h"

#include "common/MessageWindow.h"
#include "common/Session.h"
#include "db/Database.h"
#include "export/Merix.h"
#include "export/Untis.h"
#include "platform/Paths.h"
#include "platform/RunState.h"
#include "platform/Text.h"
#include "ui/Host.h"

namespace exporter::untis {

namespace {

const QString kCaption = QStringLiteral("Stundenplan (GPU) exportieren");

// The lines of the combo boxes, in the order of the options' values.
const QStringList kSeparators = {QStringLiteral("Semikolon ;"), QStringLiteral("Komma ,"),
                                 QStringLiteral("Tabulator")};
const QStringList kEncodings = {QStringLiteral("UTF-8"), QStringLiteral("Windows-1252")};
const QStringList kKeys = {QStringLiteral("Kennung (S-Schlüssel der Schulverwaltung)"),
                           QStringLiteral("Name (NACHNAME_Vor_JJJJMMTT)")};

void offer(ui::ComboBox& box, const QStringList& lines) {
    box.setLines(lines);
    box.setCurrent(0);
}

} // namespace

frmGPU::frmGPU(platform::RunState& s, ui::Host& host)
    : ui::Window(QStringLiteral("frmGPU"), kCaption), s_(s), host_(host) {
    const auto button = [this](const char* name, const char* caption, void (frmGPU::*handler)()) {
        return ui::Command{
            QString::fromLatin1(name), QString::fromUtf8(caption), {}, true, [this, handler]() {
                (this->*handler)();
            }};
    };
    setCommands({button("cmdOrdner", "&Ordner ...", &frmGPU::cmdOrdner_Click),
                 button("cmdExportieren", "&Exportieren", &frmGPU::cmdExportieren_Click),
                 button("cmdAbbrechen", "&Abbrechen", &frmGPU::cmdAbbrechen_Click),
                 button("cmdHilfe", "&Hilfe", &frmGPU::cmdHilfe_Click)});
    offer(cmbTrenner, kSeparators);
    offer(cmbZeichensatz, kEncodings);
    offer(cmbSchluessel, kKeys);
}

bool frmGPU::Form_Load() {
    QStringList cohorts;
    {
        db::Connection c(s_.databasePath());
        cohorts = common::coursePhases(c, s_.SchjBez);
    }
    if (cohorts.isEmpty()) {
        ui::tell(host_, common::kNoCoursePhases);
        return false;
    }
    offer(cmbJahrgang, cohorts);
    return true;
}

void frmGPU::cmdOrdner_Click() {
    const std::optional<QString> chosen = host_.openFileName(
        {QStringLiteral("Ordner der GPU-Dateien"),
         QStringLiteral("GPU-Dateien (GPU*.TXT)|GPU*.TXT"), 1,
         txtOrdner.isEmpty() ? s_.DatenPfad : txtOrdner, QStringLiteral("GPU002.TXT"), false});
    if (!chosen)
        return;
    QString path = *chosen;
    txtOrdner = platform::splitPath(path).dir;
    emit changed();
}

void frmGPU::cmdExportieren_Click() {
    if (txtOrdner.trimmed().isEmpty()) {
        ui::tell(host_, QStringLiteral("Bitte wählen Sie den Ordner für die GPU-Dateien."),
                 ui::Icon::Exclamation, kCaption);
        return;
    }
    const std::optional<int> first = lessonNumber(txtNummer);
    if (!first) {
        ui::tell(host_,
                 QStringLiteral("Die erste Unterrichtsnummer muss eine ganze Zahl von 1 bis %1 "
                                "sein.")
                     .arg(kMaxLesson),
                 ui::Icon::Exclamation, kCaption);
        return;
    }
    Options o;
    o.cohort = cmbJahrgang.text();
    o.separator = static_cast<Separator>(std::max(0, cmbTrenner.currentIndex()));
    o.encoding = static_cast<Encoding>(std::max(0, cmbZeichensatz.currentIndex()));
    o.studentKey = static_cast<StudentKey>(std::max(0, cmbSchluessel.currentIndex()));
    o.firstLesson = *first;
    Result r;
    try {
        ui::Busy busy(host_, QStringLiteral("GPU-Dateien werden geschrieben ..."));
        r = exportCohort(s_, o, txtOrdner.trimmed());
    } catch (const Refused& e) {
        ui::tell(host_, e.message(), ui::Icon::Critical, kCaption);
        return;
    }
    exported_ = true;
    const QStringList lines = report(r, txtOrdner.trimmed());
    if (r.plan.notes.isEmpty()) {
        ui::tell(host_, lines.join(platform::kCrLf), ui::Icon::Information, kCaption);
    } else {
        // The notes may be many: a window that scrolls and prints.
        common::frmFMld window(host_);
        window.setCaption(kCaption);
        for (const QString& line : lines)
            window.appendLine(line);
        host_.showModal(window);
    }
    host_.hide(*this);
}

void frmGPU::cmdAbbrechen_Click() {
    host_.hide(*this);
}

void frmGPU::cmdHilfe_Click() {
    host_.showHelp(ui::HelpRef::byKeyword(kCaption));
}

void showGpuExport(platform::RunState& s, ui::Host& host) {
    frmGPU w(s, host);
    if (w.Form_Load())
        host.showModal(w);
}

} // namespace exporter::untis
