#include "db/Schema.h"

#include <stdexcept>

namespace db {

namespace {

FieldDef key(const char* name) {
    return {QString::fromLatin1(name), FieldType::Long, 0, true};
}
FieldDef text(const char* name, int n) {
    return {QString::fromLatin1(name), FieldType::Text, n, false};
}
FieldDef integer(const char* name) {
    return {QString::fromLatin1(name), FieldType::Integer, 0, false};
}
FieldDef byte(const char* name) {
    return {QString::fromLatin1(name), FieldType::Byte, 0, false};
}

IndexDef primary(const char* name, const char* field) {
    return {QString::fromLatin1(name), {QString::fromLatin1(field)}, true, true};
}
IndexDef index(const char* name, QStringList fields, bool unique) {
    return {QString::fromLatin1(name), std::move(fields), false, unique};
}

std::vector<TableDef> build() {
    std::vector<TableDef> t;
    t.push_back(
        {"belegung",
         {key("BG_ID"), text("BG_KO_ID", 6), text("BG_KS_ID_12", 6), text("BG_KS_ID_13", 6),
          text("BG_FA_ID", 6), text("BG_ART", 1), text("BG_VFP_ID", 6), text("BG_FIX", 1)},
         {primary("BG_ID_I", "BG_ID"), index("BG_ART_VFP_I", {"BG_ART", "BG_VFP_ID"}, true)}});
    t.push_back({"block",
                 {key("BL_ID"), text("BL_SCHJ", 6), text("BL_BEZ", 6), text("BL_NAME", 30),
                  integer("BL_SORT"), byte("BL_STD"), text("BL_VFP_ID", 6), text("BL_FIX", 1)},
                 {primary("BL_ID_I", "BL_ID"), index("BL_SCHJ_BEZ_I", {"BL_SCHJ", "BL_BEZ"}, true),
                  index("BL_VFP_ID_I", {"BL_VFP_ID"}, true)}});
    t.push_back(
        {"ckkurs",
         {key("CK_ID"), text("CK_BL_ID", 6), text("CK_KS_ID", 6), text("CK_VFP_ID", 6),
          text("CK_FIX", 1)},
         {primary("CK_ID_I", "CK_ID"), index("CK_BL_KS_I", {"CK_BL_ID", "CK_KS_ID"}, true)}});
    t.push_back(
        {"fachang",
         {key("FA_ID"), text("FA_KURSPH", 4), text("FA_PSCHL", 4), text("FA_BEZ", 3),
          text("FA_BELEG", 8), text("FA_STDGK", 1), text("FA_GLEICH", 4), text("FA_VFP_ID", 6),
          text("FA_BEZLK", 3), text("FA_BEZGK", 3), text("FA_MERK1", 1)},
         {primary("FA_ID_I", "FA_ID"), index("FA_PSCHL_I", {"FA_PSCHL"}, false),
          index("FA_VFP_ID_I", {"FA_VFP_ID"}, true)}});
    t.push_back({"kolleg",
                 {key("KO_ID"), text("KO_KURSPH", 4), text("KO_FAMNAME", 30),
                  text("KO_RUFNAME", 20), text("KO_PARLLKL", 2), text("KO_VFP_ID", 6)},
                 {primary("KO_ID_I", "KO_ID"),
                  index("KO_KLANAM_I", {"KO_PARLLKL", "KO_FAMNAME", "KO_RUFNAME"}, false),
                  index("KO_NAME_I", {"KO_FAMNAME", "KO_RUFNAME"}, false),
                  index("KO_VFP_ID_I", {"KO_VFP_ID"}, true)}});
    t.push_back({"kurs",
                 {key("KS_ID"), text("KS_SCHJ", 6), text("KS_BEZ", 6), integer("KS_SORT"),
                  text("KS_LE_ID", 6), text("KS_FA_ID1", 6), text("KS_FA_ID2", 6),
                  text("KS_FA_ID3", 6), text("KS_FA_ID4", 6), text("KS_JGST", 2),
                  text("KS_LKGK", 1), text("KS_STD", 2), text("KS_STDVL", 2), text("KS_VFP_ID", 6),
                  integer("KS_MIN"), integer("KS_MAX"), integer("KS_OPT")},
                 {primary("KS_ID_I", "KS_ID"), index("KS_VFP_I", {"KS_VFP_ID"}, true)}});
    t.push_back({"schjahr",
                 {key("SJ_ID"), text("SJ_SCHJ", 9), text("SJ_AA_12", 1), text("SJ_AA_13", 1),
                  text("SJ_VFP_ID", 6)},
                 {primary("SJ_ID_I", "SJ_ID")}});
    t.push_back({"schule",
                 {key("SH_ID"), text("SH_NUMMER", 4), text("SH_AMTLBEZ1", 80),
                  text("SH_AMTLBEZ2", 80), text("SH_KURZBEZ", 30)},
                 {}});
    t.push_back({"lehrer",
                 {key("LE_ID"), text("LE_KUERZ", 4), text("LE_BEZ", 30), text("LE_VFP_ID", 6)},
                 {primary("LE_ID_I", "LE_ID"), index("LE_KUERZ_I", {"LE_KUERZ"}, true),
                  index("LE_VFP_ID_I", {"LE_VFP_ID"}, true)}});
    return t;
}

} // namespace

const FieldDef* TableDef::field(const QString& n) const {
    for (const auto& f : fields)
        if (f.name.compare(n, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const std::vector<TableDef>& tables() {
    static const std::vector<TableDef> all = build();
    return all;
}

const TableDef& table(const QString& name) {
    for (const auto& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    throw std::invalid_argument("unknown table " + name.toStdString());
}

NumberRange numberRange(FieldType t) {
    switch (t) {
    case FieldType::Long:
        return {-2147483648LL, 2147483647LL};
    case FieldType::Integer:
        return {-32768, 32767};
    case FieldType::Byte:
        return {0, 255};
    case FieldType::Text:
        break;
    }
    return {};
}

QString createTableSql(const TableDef& t) {
    QStringList cols;
    for (const auto& f : t.fields) {
        QString c = f.name;
        if (f.autoIncrement) {
            c += QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT");
        } else {
            switch (f.type) {
            case FieldType::Long:
                c += QStringLiteral(" INTEGER CHECK (%1 BETWEEN -2147483648 AND 2147483647)")
                         .arg(f.name);
                break;
            case FieldType::Integer:
                c += QStringLiteral(" INTEGER CHECK (%1 BETWEEN -32768 AND 32767)").arg(f.name);
                break;
            case FieldType::Byte:
                c += QStringLiteral(" INTEGER CHECK (%1 BETWEEN 0 AND 255)").arg(f.name);
                break;
            case FieldType::Text:
                c += QStringLiteral(" TEXT COLLATE NOCASE CHECK (length(%1) <= %2)")
                         .arg(f.name)
                         .arg(f.length);
                break;
            }
        }
        cols << c;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, cols.join(QStringLiteral(", ")));
}

QStringList createIndexSql(const TableDef& t) {
    QStringList out;
    for (const auto& i : t.indexes)
        out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                   .arg(i.unique ? QStringLiteral("UNIQUE ") : QString(), i.name, t.name,
                        i.fields.join(QStringLiteral(", ")));
    return out;
}

QStringList speedIndexSql(const TableDef& t) {
    if (t.name == QLatin1String("belegung"))
        return {QStringLiteral("CREATE INDEX BG_KS_ID_12_X ON belegung (BG_KS_ID_12)"),
                QStringLiteral("CREATE INDEX BG_KS_ID_13_X ON belegung (BG_KS_ID_13)"),
                QStringLiteral("CREATE INDEX BG_KO_ID_X ON belegung (BG_KO_ID)")};
    if (t.name == QLatin1String("ckkurs"))
        return {QStringLiteral("CREATE INDEX CK_KS_ID_X ON ckkurs (CK_KS_ID)")};
    if (t.name == QLatin1String("kurs"))
        return {QStringLiteral("CREATE INDEX KS_SORT_X ON kurs (KS_SORT)")};
    return {};
}

} // namespace db
