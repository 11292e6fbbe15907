#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace ui {

class Window;

// The program's title: main window caption and the default title of its message boxes.
inline const QString kTitle = QStringLiteral("Kurs- und Blockbildung");

enum class Icon { None, Critical, Question, Exclamation, Information };

enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// A help file reference: the contents page, a keyword or a context number.
struct HelpRef {
    enum class Kind { Contents, Keyword, Context };
    Kind kind = Kind::Contents;
    QString keyword;
    int context = 0;

    static HelpRef contents() { return {}; }
    static HelpRef byKeyword(const QString& k) { return {Kind::Keyword, k, 0}; }
    static HelpRef byContext(int c) { return {Kind::Context, {}, c}; }
};

// One message box as the program defines it. The default button is counted from 0 within the
// button set (YesNo with defaultButton 1 preselects No).
struct Message {
    QString text;
    QString title; // empty: the program's default title
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    int defaultButton = 0;
    std::optional<HelpRef> help; // shows a Help button opening this reference
};

// The common file dialog. filter uses the "Text|pattern|Text|pattern" form.
struct FileDialog {
    QString title;
    QString filter;
    int filterIndex = 1;
    QString initialDir;
    QString fileName;
    // False where the answer may name a file that is still to be made (an open dialog that
    // chooses a folder by a file in it).
    bool mustExist = true;
};

enum class Orientation { Portrait, Landscape };

// The fixed-pitch font of the lists, the status line and every printout.
inline const QString kCourierNew = QStringLiteral("Courier New");

// A print job on the default printer. Lines are printed top to bottom in the current font;
// endDoc() hands the job to the printer (or preview); a job dropped without endDoc() is discarded.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual void setOrientation(Orientation o) = 0;
    // Falls back to a fixed-pitch font when the named one is missing.
    virtual void setFont(const QString& name, double pointSize) = 0;
    virtual void setBold(bool on) = 0;
    virtual void setUnderline(bool on) = 0;
    virtual void printLine(const QString& text) = 0;
    virtual void newPage() = 0;
    virtual void endDoc() = 0;
};

// The platform port: everything a window's logic needs from the user interface. Logic objects
// never show anything themselves; the Qt host implements this with widgets, the tests with a
// script.
class Host {
public:
    virtual ~Host() = default;

    virtual Answer message(const Message& m) = 0;
    // The input box; no value when the user cancels.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // File dialogs; no value when the user cancels.
    virtual std::optional<QString> openFileName(const FileDialog& d) = 0;
    virtual std::optional<QString> saveFileName(const FileDialog& d) = 0;

    // Shows another window; modal returns once the window is hidden.
    virtual void showModal(Window& w) = 0;
    virtual void showModeless(Window& w) = 0;
    // A window hides itself (a modal one returns to its caller).
    virtual void hide(Window& w) = 0;

    // The main window's status line, repainted at once.
    virtual void setStatus(const QString& text) = 0;
    virtual void setBusy(bool busy) = 0;
    // The system's warning sound.
    virtual void beep() = 0;
    virtual void showHelp(const HelpRef& ref) = 0;

    virtual std::unique_ptr<PrintJob> startPrint() = 0;
    // Starts another program, maximised; false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Ends the program: the caller returns at once and nothing more is shown.
    virtual void quit() = 0;
    virtual bool quitRequested() const = 0;
    virtual void processEvents() = 0;
};

// The hourglass, and a status text where given, for as long as the object lives.
class Busy {
public:
    explicit Busy(Host& host, const QString& status = {})
        : host_(host), status_(!status.isEmpty()) {
        host_.setBusy(true);
        if (status_)
            host_.setStatus(status);
    }
    ~Busy() {
        host_.setBusy(false);
        if (status_)
            host_.setStatus(QString());
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    Host& host_;
    bool status_;
};

// Convenience for the most common box: text and icon, OK only, the program's title.
Answer tell(Host& host, const QString& text, Icon icon = Icon::None, const QString& title = kTitle);

// Prints a plain listing in Courier New 10, portrait: the bold title, the lines under it after
// the heading lines and an empty line. Nothing when the host has no printer.
void printListing(Host& host, const QString& title, const QStringList& headings,
                  const QStringList& lines);

} // namespace ui
