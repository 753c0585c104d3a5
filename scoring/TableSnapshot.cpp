// Writes the compiled-in tables, as ReadNormTables reads them from the data files, as C++
// source: linked into the programs, it spares every start of the tool the reading. The data
// files stay the truth; a test holds the two equal.
#include "scoring/NormTables.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

using namespace tavlo;

namespace {

template <typename Numbers> QString numbers(const Numbers& values)
{
    QStringList out;
    for (const auto value : values)
        out << QString::number(value);
    return u'{' + out.join(u',') + u'}';
}

template <typename Rows> QString rows(const Rows& table)
{
    QStringList out;
    for (const auto& row : table)
        out << numbers(row);
    return QStringLiteral("{{") + out.join(u',') + QStringLiteral("}}");
}

QString literal(const QString& text)
{
    QString out = QStringLiteral("QStringLiteral(\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QStringLiteral("\")");
}

QString key(Key k)
{
    return QStringLiteral("Key(%1)").arg(int(k));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DATA_FOLDER OUT.cpp\n", argv[0]);
        return 2;
    }
    const NormTables t = ReadNormTables(QString::fromLocal8Bit(argv[1]));
    if (!t.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(t.error));
        return 1;
    }
    QString code;
    QTextStream s(&code);
    s << "// Made at build time from the data files by " << QFileInfo(QString::fromLocal8Bit(argv[0])).fileName()
      << ": not to be edited.\n#include \"scoring/NormTables.h\"\n\nnamespace tavlo {\n\nNormTables CompiledNormTables()\n{\n"
      << "    NormTables t;\n";
    for (size_t band = 0; band < t.lists.size(); ++band) {
        s << "    t.lists[" << band << "] = {\n";
        for (const ScaleEntry& e : t.lists[band])
            s << "        {" << literal(e.literal) << ", " << key(e.raw) << ", Direction("
              << int(e.direction) << ")},\n";
        s << "    };\n";
    }
    for (const auto& [k, table] : t.lookups)
        s << "    t.lookups[" << key(k) << "] = LookupTable" << rows(table) << ";\n";
    s << "    t.delay = decltype(t.delay)" << rows(t.delay) << ";\n";
    for (const Classifier& c : t.classifiers)
        s << "    t.classifiers.push_back({" << key(c.raw) << ", BandSet(" << int(c.set) << "), BandRule(" << int(c.rule)
          << "), " << c.firstAge << ", " << c.lastAge << ", " << rows(c.thresholds) << "});\n";
    for (const auto& [k, maxima] : t.maxima)
        s << "    t.maxima.emplace_back(" << key(k) << ", RawMaxima" << numbers(maxima) << ");\n";
    s << "    return t;\n}\n\n} // namespace tavlo\n";
    s.flush();
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(code.toUtf8()) < 0) {
        std::fprintf(stderr, "%s: %s\n", argv[2], qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}
