// The GPU files as text: records of fields in a fixed order, checked value by value.
#include "export/Merix.h"
#include "export/Untis.h"
#include "platform/CodePage.h"
#include "platform/Text.h"

#include <functional>
#include <utility>

namespace exporter::untis {

namespace {

constexpr int kWindows1252 = 1252;

QChar separatorChar(Separator s) {
    switch (s) {
    case Separator::Comma:
        return QLatin1Char(',');
    case Separator::Tab:
        return QLatin1Char('\t');
    case Separator::Semicolon:
        break;
    }
    return QLatin1Char(';');
}

QString separatorWords(Separator s) {
    return s == Separator::Tab ? QStringLiteral("den Tabulator, der die Felder trennt")
                               : QStringLiteral("das Trennzeichen „%1“, das die Felder trennt")
                                     .arg(separatorChar(s));
}

// A field's value: a text (in double quotes), a number (bare), or a course name, a text that
// also must not hold "~", the separator of GPU015's lists. Empty values are written as nothing.
struct Field {
    enum class Kind { Text, Number, CourseName };
    QString value;
    Kind kind = Kind::Text;
};

Field text(const QString& value) {
    return {value, Field::Kind::Text};
}
Field course(const QString& value) {
    return {value, Field::Kind::CourseName};
}
// Hours and dates: nothing where unknown (0 or "").
Field number(int value, bool zeroIsNone = false) {
    return {zeroIsNone && value == 0 ? QString() : QString::number(value), Field::Kind::Number};
}
Field digits(const QString& value) {
    return {value, Field::Kind::Number};
}

class GpuFile {
public:
    GpuFile(QString name, const Options& o) : name_(std::move(name)), o_(o) {}

    // One record: the fields by number (from 1); the record ends after the highest, fields
    // between them stay empty. who names the record in a refusal.
    void record(const std::vector<std::pair<int, Field>>& fields, const QString& who) {
        std::vector<QString> line(static_cast<size_t>(fields.back().first));
        for (const auto& [number, field] : fields) {
            check(field, who);
            const bool quoted = field.kind != Field::Kind::Number && !field.value.isEmpty();
            line.at(static_cast<size_t>(number) - 1) =
                quoted ? QLatin1Char('"') + field.value + QLatin1Char('"') : field.value;
        }
        for (size_t i = 0; i < line.size(); ++i) {
            if (i > 0)
                text_ += separatorChar(o_.separator);
            text_ += line[i];
        }
        text_ += platform::kCrLf;
    }

    File file() const {
        return {name_, o_.encoding == Encoding::Utf8
                           ? text_.toUtf8()
                           : platform::CodePage::encode(text_, kWindows1252)};
    }

private:
    [[noreturn]] void refuse(const QString& who, const QString& what) const {
        throw Refused(who + QStringLiteral(" (") + name_ + QStringLiteral("): ") + what +
                      kNothingWritten);
    }

    void check(const Field& f, const QString& who) const {
        const QString& v = f.value;
        const QString quoted = QStringLiteral("„") + v + QStringLiteral("“");
        if (v.contains(separatorChar(o_.separator)))
            refuse(who, quoted + QStringLiteral(" enthält ") + separatorWords(o_.separator) +
                            QStringLiteral(". Wählen Sie ein anderes Trennzeichen."));
        if (v.contains(QLatin1Char('"')))
            refuse(who, quoted + QStringLiteral(" enthält ein Anführungszeichen (\"), das in den "
                                                "GPU-Dateien einen Text beendet."));
        if (v.contains(QLatin1Char('\r')) || v.contains(QLatin1Char('\n')))
            refuse(who, quoted + QStringLiteral(" enthält einen Zeilenumbruch, der in den "
                                                "GPU-Dateien einen Datensatz beendet."));
        if (f.kind == Field::Kind::CourseName && v.contains(QLatin1Char('~')))
            refuse(who, quoted + QStringLiteral(" enthält „~“, das in GPU015 die Parallelkurse "
                                                "trennt."));
        if (o_.encoding == Encoding::Windows1252)
            checkEncodable(v, who, quoted);
    }

    void checkEncodable(const QString& v, const QString& who, const QString& quoted) const {
        const qsizetype bad = platform::CodePage::firstUnencodable(v, kWindows1252);
        if (bad < 0)
            return;
        const char32_t code = v.at(bad).isHighSurrogate() && bad + 1 < v.size()
                                  ? QChar::surrogateToUcs4(v[bad], v[bad + 1])
                                  : v[bad].unicode();
        refuse(who, QStringLiteral("Das Zeichen „%1“ (U+%2) in %3 gibt es im Zeichensatz "
                                   "Windows-1252 nicht. Wählen Sie UTF-8.")
                        .arg(QString::fromUcs4(&code, 1),
                             QStringLiteral("%1")
                                 .arg(static_cast<uint>(code), 4, 16, QLatin1Char('0'))
                                 .toUpper(),
                             quoted));
    }

    QString name_;
    const Options& o_;
    QString text_;
};

QString joined(const std::vector<int>& lessons, const std::function<QString(int)>& item) {
    QStringList items;
    for (int l : lessons)
        items << item(l);
    return items.join(QLatin1Char('~'));
}

} // namespace

std::vector<File> render(const Plan& p, const Options& o) {
    const auto courseWho = [&](int l) { return QStringLiteral("Kurs ") + p.lessons[l].course; };
    GpuFile lessons(QStringLiteral("GPU002.TXT"), o);
    for (size_t l = 0; l < p.lessons.size(); ++l) {
        const Lesson& x = p.lessons[l];
        const Field hours = number(x.hours, true);
        lessons.record({{1, number(x.number)},
                        {2, hours},
                        {3, hours},
                        {4, hours},
                        {5, text(p.yearGroup)},
                        {6, text(x.teacher)},
                        {7, course(x.course)},
                        {10, number(x.students)}},
                       courseWho(static_cast<int>(l)));
    }
    GpuFile students(QStringLiteral("GPU010.TXT"), o);
    for (const Student& s : p.students)
        students.record({{1, text(s.key)},
                         {2, text(s.famName)},
                         {8, text(s.rufName)},
                         {10, text(p.yearGroup)},
                         {13, digits(s.birthDate)},
                         {15, text(s.externalId)}},
                        s.who);
    GpuFile choices(QStringLiteral("GPU015.TXT"), o);
    for (const Membership& ms : p.memberships) {
        const Lesson& x = p.lessons[ms.lesson];
        choices.record(
            {{1, text(p.students[ms.student].key)},
             {2, number(x.number)},
             {3, course(x.course)},
             {5, text(p.yearGroup)},
             {10, text(joined(ms.alternatives,
                              [&](int l) { return QString::number(p.lessons[l].number); }))},
             {11, text(joined(ms.alternatives, [&](int l) { return p.lessons[l].course; }))},
             {13, text(joined(ms.alternatives, [](int) { return QStringLiteral("1"); }))}},
            p.students[ms.student].who);
    }
    GpuFile clusters(QStringLiteral("GPU019.TXT"), o);
    for (const Cluster& cl : p.clusters)
        for (int l : cl.lessons)
            clusters.record({{1, text(cl.name)},
                             {2, number(2)},
                             {3, number(cl.hours, true)},
                             {4, number(p.lessons[l].number)},
                             {6, course(p.lessons[l].course)},
                             {7, text(p.yearGroup)}},
                            QStringLiteral("Schiene ") + cl.name);
    return {lessons.file(), students.file(), choices.file(), clusters.file()};
}

} // namespace exporter::untis
