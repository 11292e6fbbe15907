// kubb print rails, kubb print lists: the two printouts on the code of the menu commands, as the
// lines the printer gets or as a PDF file.
#include "cli/Commands.h"

#include "common/Session.h"
#include "pages/PageJob.h"
#include "platform/Files.h"
#include "platform/RunState.h"
#include "printing/Layouts.h"
#include "printing/RailPrintout.h"
#include "printing/frmBlKuListen.h"

namespace cli {

namespace {

// The printed lines as text: UTF-8, one a line, a line with a form feed between two pages.
class TextJob : public ui::PrintJob {
public:
    explicit TextJob(QString path) : path_(std::move(path)) {}
    void setOrientation(ui::Orientation) override {}
    void setFont(const QString&, double) override {}
    void setBold(bool) override {}
    void setUnderline(bool) override {}
    void printLine(const QString& text) override { text_ += text + QLatin1Char('\n'); }
    void newPage() override { text_ += QStringLiteral("\f\n"); }
    void endDoc() override {
        const QByteArray bytes = text_.toUtf8();
        platform::writeFileAtomically(path_, [&](QIODevice& out) { out.write(bytes); });
    }

private:
    QString path_;
    QString text_;
};

// kubb's host with a printer: each job goes into the output file.
class PrintHost : public ui::QuietHost {
public:
    PrintHost(QString path, bool pdf) : path_(std::move(path)), pdf_(pdf) {
        onMessage = host().onMessage;
    }
    std::unique_ptr<ui::PrintJob> startPrint() override {
        ++jobs;
        if (pdf_)
            return std::make_unique<pages::PdfJob>(path_);
        return std::make_unique<TextJob>(path_);
    }
    int jobs = 0;

private:
    QString path_;
    bool pdf_;
};

const QStringList kOutputs = {QStringLiteral("--text"), QStringLiteral("--pdf")};

std::unique_ptr<PrintHost> printHost(const Args& a) {
    const QString text = a.value(QStringLiteral("--text"));
    const QString pdf = a.value(QStringLiteral("--pdf"));
    if (text.isEmpty() == pdf.isEmpty())
        throw UsageError(a.command() + QStringLiteral(" braucht entweder --text oder --pdf"));
    const QString path = pathArg(text.isEmpty() ? pdf : text);
    // A target that cannot be written (a FIFO, a device, a missing folder) is said before
    // anything is read or printed.
    platform::checkWritable(path);
    return std::make_unique<PrintHost>(path, !pdf.isEmpty());
}

// The run on the database of --db with its current school year.
platform::RunState runState(const Args& a, ui::Host& h) {
    platform::RunState s;
    s.useDatabase(pathArg(a.required(QStringLiteral("--db"))));
    common::LiesSchj(s, h);
    requireSchoolYear(s);
    return s;
}

int finished(const PrintHost& h) {
    if (h.jobs == 0) {
        err() << "kubb: nichts gedruckt" << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace

int runPrintRails(const Args& a) {
    a.allowOnly(QStringList{QStringLiteral("--db")} + kOutputs);
    auto h = printHost(a);
    platform::RunState s = runState(a, *h);
    printing::DruckSchienen(s, *h);
    return finished(*h);
}

int runPrintLists(const Args& a) {
    a.allowOnly(QStringList{QStringLiteral("--db"), QStringLiteral("--cohort"),
                            QStringLiteral("--rails"), QStringLiteral("--landscape")} +
                kOutputs);
    const QString cohort = a.required(QStringLiteral("--cohort"));
    const QStringList rails =
        a.required(QStringLiteral("--rails")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    auto h = printHost(a);
    platform::RunState s = runState(a, *h);

    printing::frmBlKuListen w(s, *h);
    w.Form_Load();
    const int row = static_cast<int>(w.cmbKollJahrg.lines().indexOf(cohort.trimmed()));
    if (row < 0)
        throw cohortNotOffered(cohort, s.SchjBez, w.cmbKollJahrg.lines());
    w.cmbKollJahrg.setCurrent(row);
    w.cmbKollJahrg_Click();

    QStringList known;
    for (const QString& line : w.lstBlock.lines())
        known << printing::railHeaderBez(line);
    for (const QString& rail : rails) {
        const int i = static_cast<int>(known.indexOf(rail.trimmed()));
        if (i < 0)
            throw std::runtime_error(
                QStringLiteral("Die Schiene %1 gibt es im Schuljahr %2 nicht (Schienen: %3).")
                    .arg(rail.trimmed(), s.SchjBez, known.join(QStringLiteral(", ")))
                    .toStdString());
        w.lstBlock.setSelected(i, true);
    }
    if (a.flag(QStringLiteral("--landscape")))
        w.OptQuer_Click();
    else
        w.optHoch_Click();
    w.click(QStringLiteral("cmdDruck"));
    return finished(*h);
}

} // namespace cli
