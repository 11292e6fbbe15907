#pragma once

#include "ui/Host.h"

#include <functional>

namespace ui {

// A host for runs without windows (the command-line tool, benchmarks): shows nothing, declines
// every prompt and answers a message box with its cautious button (No, Cancel, Abort; OK where
// that is all). onMessage, when set, receives each message text (kubb prints them).
class QuietHost : public Host {
public:
    std::function<void(const Message&)> onMessage;

    Answer message(const Message& m) override {
        if (onMessage)
            onMessage(m);
        switch (m.buttons) {
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::No;
        case Buttons::OkCancel:
        case Buttons::RetryCancel:
            return Answer::Cancel;
        case Buttons::AbortRetryIgnore:
            return Answer::Abort;
        case Buttons::Ok:
            break;
        }
        return Answer::Ok;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> openFileName(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialog&) override { return std::nullopt; }
    void showModal(Window&) override {}
    void showModeless(Window&) override {}
    void hide(Window&) override {}
    void setStatus(const QString&) override {}
    void setBusy(bool) override {}
    void beep() override {}
    void showHelp(const HelpRef&) override {}
    std::unique_ptr<PrintJob> startPrint() override { return nullptr; }
    bool startProgram(const QString&, const QStringList&) override { return false; }
    void quit() override { quit_ = true; }
    bool quitRequested() const override { return quit_; }
    void processEvents() override {}

private:
    bool quit_ = false;
};

} // namespace ui
