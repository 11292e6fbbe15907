#include "support/ScriptedHost.h"

#include <gtest/gtest.h>

namespace test {

namespace {

// By ScriptedHost::Kind.
const char* const kKindNames[] = {"message box", "input box", "open-file dialog",
                                  "save-file dialog", "modal window"};

class RecordingJob : public ui::PrintJob {
public:
    explicit RecordingJob(std::vector<PrintedJob>& jobs) : jobs_(jobs) { jobs_.emplace_back(); }
    PrintedJob& job() { return jobs_.back(); }
    void op(const QString& what) { job().operations << what; }
    void setOrientation(ui::Orientation o) override {
        op(o == ui::Orientation::Landscape ? "landscape" : "portrait");
    }
    void setFont(const QString& name, double size) override {
        op(QStringLiteral("font %1 %2").arg(name).arg(size));
    }
    void setBold(bool on) override { op(on ? "bold on" : "bold off"); }
    void setUnderline(bool on) override { op(on ? "underline on" : "underline off"); }
    void printLine(const QString& text) override {
        job().lines << text;
        op("line " + text);
    }
    void newPage() override {
        job().lines << QStringLiteral("\f");
        op("page");
    }
    void endDoc() override { job().ended = true; }

private:
    std::vector<PrintedJob>& jobs_;
};

} // namespace

ScriptedHost::~ScriptedHost() {
    for (const Step& s : script_)
        ADD_FAILURE() << "script line never used: " << kKindNames[static_cast<int>(s.kind)] << " "
                      << s.window.toStdString() << " " << s.text.value_or(QString()).toStdString();
}

std::optional<ScriptedHost::Step> ScriptedHost::take(Kind kind, const QString& what) {
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << kKindNames[static_cast<int>(kind)] << ": "
                      << what.toStdString()
                      << (script_.empty()
                              ? std::string(" (script is empty)")
                              : std::string(" (script expects a ") +
                                    kKindNames[static_cast<int>(script_.front().kind)] + ")");
        return std::nullopt;
    }
    Step s = std::move(script_.front());
    script_.pop_front();
    return s;
}

ui::Answer ScriptedHost::message(const ui::Message& m) {
    messages.push_back(m);
    auto step = take(Kind::Message, m.text);
    if (!step)
        return ui::Answer::Cancel;
    if (step->text) {
        EXPECT_EQ(step->text->toStdString(), m.text.toStdString());
    }
    return step->answer;
}

std::optional<QString> ScriptedHost::inputBox(const QString& prompt, const QString&,
                                              const QString&) {
    inputPrompts << prompt;
    auto step = take(Kind::Input, prompt);
    return step ? step->text : std::nullopt;
}

std::optional<QString> ScriptedHost::openFileName(const ui::FileDialog& d) {
    fileDialogs.push_back(d);
    auto step = take(Kind::OpenFile, d.filter);
    return step ? step->text : std::nullopt;
}

std::optional<QString> ScriptedHost::saveFileName(const ui::FileDialog& d) {
    fileDialogs.push_back(d);
    auto step = take(Kind::SaveFile, d.filter);
    return step ? step->text : std::nullopt;
}

void ScriptedHost::showModal(ui::Window& w) {
    modal << w.name();
    auto step = take(Kind::Modal, w.name());
    if (!step)
        return;
    EXPECT_EQ(step->window.toStdString(), w.name().toStdString());
    if (step->act)
        step->act(w);
}

void ScriptedHost::setStatus(const QString& text) {
    status = text;
    statuses << text;
}

std::unique_ptr<ui::PrintJob> ScriptedHost::startPrint() {
    return std::make_unique<RecordingJob>(printJobs);
}

bool ScriptedHost::startProgram(const QString& program, const QStringList& arguments) {
    programs << (QStringList{program} + arguments).join(QLatin1Char(' '));
    return startProgramSucceeds;
}

} // namespace test
