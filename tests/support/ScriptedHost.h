#pragma once

#include "support/Printers.h"
#include "ui/Host.h"
#include "ui/Window.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace test {

// A print job as the printer port received it.
struct PrintedJob {
    QStringList lines;      // every printed line, page breaks as "\f"
    QStringList operations; // font, orientation and attribute changes in order, for layout checks
    bool ended = false;
};

// The host of the tests: answers every prompt from a script, in order, records what the logic
// showed, and fails the test on a prompt the script did not expect (and on script lines left
// unused when it is destroyed).
class ScriptedHost : public ui::Host {
public:
    ScriptedHost() = default;
    ~ScriptedHost() override;

    // Script lines. A text, where given, must equal the message's text.
    ScriptedHost& onMessage(ui::Answer answer) { return add({Kind::Message, {}, answer}); }
    ScriptedHost& onMessage(const QString& text, ui::Answer answer = ui::Answer::Ok) {
        return add({Kind::Message, text, answer});
    }
    ScriptedHost& onInput(std::optional<QString> answer) { return add({Kind::Input, answer}); }
    ScriptedHost& onOpenFile(std::optional<QString> answer) {
        return add({Kind::OpenFile, answer});
    }
    ScriptedHost& onSaveFile(std::optional<QString> answer) {
        return add({Kind::SaveFile, answer});
    }
    // A modal window of that name; act plays the user's part (clicks its buttons).
    ScriptedHost& onModal(const QString& windowName, std::function<void(ui::Window&)> act = {}) {
        return add({Kind::Modal, {}, ui::Answer::Ok, windowName, std::move(act)});
    }

    // What was shown.
    std::vector<ui::Message> messages;
    std::vector<ui::FileDialog> fileDialogs;
    QStringList inputPrompts;
    QStringList statuses; // every status text set, in order
    QString status;       // the status line now
    QStringList modeless; // names of windows shown without being modal
    QStringList modal;    // names of windows shown modally
    std::vector<ui::HelpRef> help;
    std::vector<PrintedJob> printJobs;
    QStringList programs; // "program arg1 arg2"
    bool quitCalled = false;
    bool startProgramSucceeds = true;
    int busyDepth = 0;
    int beeps = 0;

    size_t pending() const { return script_.size(); }

    // ui::Host
    ui::Answer message(const ui::Message& m) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    std::optional<QString> openFileName(const ui::FileDialog& d) override;
    std::optional<QString> saveFileName(const ui::FileDialog& d) override;
    void showModal(ui::Window& w) override;
    void showModeless(ui::Window& w) override { modeless << w.name(); }
    void hide(ui::Window&) override {}
    void setStatus(const QString& text) override;
    void setBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void beep() override { ++beeps; }
    void showHelp(const ui::HelpRef& ref) override { help.push_back(ref); }
    std::unique_ptr<ui::PrintJob> startPrint() override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    void quit() override { quitCalled = true; }
    bool quitRequested() const override { return quitCalled; }
    void processEvents() override {}

private:
    enum class Kind { Message, Input, OpenFile, SaveFile, Modal };
    struct Step {
        Kind kind;
        std::optional<QString> text = {}; // message text to match, or the dialog's answer
        ui::Answer answer = ui::Answer::Ok;
        QString window = {};
        std::function<void(ui::Window&)> act = {};
    };
    ScriptedHost& add(Step step) {
        script_.push_back(std::move(step));
        return *this;
    }
    std::optional<Step> take(Kind kind, const QString& what);
    std::deque<Step> script_;
};

} // namespace test
