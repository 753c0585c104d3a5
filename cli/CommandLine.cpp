// A command's arguments read as a Unix tool reads them: options anywhere, "--name=VALUE" as
// well as "--name VALUE", "--" before arguments that begin with '-', and "-" an argument.
#include "cli/Cli.h"

#include <QCommandLineParser>

#include <algorithm>

namespace tavlo::cli {

namespace {

const QString kEndOfOptions = QStringLiteral("--");

bool isHelp(const QString& arg)
{
    return arg == u"-h" || arg == u"--help";
}

bool isVersion(const QString& arg)
{
    return arg == u"-V" || arg == u"--version";
}

const Option* optionNamed(const std::vector<Option>& options, QStringView name)
{
    const auto it = std::find_if(options.begin(), options.end(),
                                 [&](const Option& o) { return name == QLatin1String(o.name); });
    return it == options.end() ? nullptr : &*it;
}

// What QCommandLineParser would take silently or say only in English: a value option last or
// followed by another option (so "--pdf --profile" names no file "--profile"; "--pdf=-x" still
// can), and a value given to a flag.
QString valueProblem(const std::vector<Option>& options, const QStringList& given)
{
    for (qsizetype i = 0; i < given.size() && given[i] != kEndOfOptions; ++i) {
        const QString& arg = given[i];
        if (!arg.startsWith(u"--"))
            continue;
        const qsizetype equals = arg.indexOf(u'=');
        const Option* option = optionNamed(options, QStringView(arg).mid(2, equals < 0 ? -1 : equals - 2));
        if (!option)
            continue;
        if (!option->value && equals >= 0)
            return QStringLiteral("Valget --%1 tar ingen verdi.").arg(QLatin1String(option->name));
        if (!option->value || equals >= 0)
            continue;
        const QString next = given.value(i + 1);
        if (i + 1 >= given.size() || next == kEndOfOptions || (next.startsWith(u'-') && next != u"-"))
            return QStringLiteral("Valget --%1 mangler verdien %2.")
                .arg(QLatin1String(option->name), QLatin1String(option->value));
        ++i;
    }
    return {};
}

// The options among the arguments that the command does not know, as they were typed (the
// parser knows only their names, and splits "-fil.txt" into letters).
QStringList unknownOptions(const std::vector<Option>& options, const QStringList& given)
{
    QStringList unknown;
    for (qsizetype i = 0; i < given.size() && given[i] != kEndOfOptions; ++i) {
        const QString& arg = given[i];
        if (!arg.startsWith(u'-') || arg == u"-")
            continue;
        const QString spelled = arg.section(u'=', 0, 0);
        const Option* option = arg.startsWith(u"--") ? optionNamed(options, QStringView(spelled).mid(2)) : nullptr;
        if (!option)
            unknown << spelled;
        else if (option->value && !arg.contains(u'='))
            ++i; // its value, checked by valueProblem
    }
    return unknown;
}

} // namespace

std::vector<Option> optionsOf(const Command& command)
{
    std::vector<Option> options = command.options;
    if (!command.columns.empty())
        options.push_back({"header"});
    if (command.connects) {
        // The role a job connects to a server as; init-db and log give --user their own meaning.
        if (!optionNamed(options, u"user"))
            options.push_back({"user", "NAME"});
        options.push_back({"role", "ROLE"});
    }
    return options;
}

CommandLine parseCommandLine(const Command& command, const QStringList& given)
{
    const auto ends = std::find(given.begin(), given.end(), kEndOfOptions);
    // Asked for anywhere among the options, as before this parser: whatever else is wrong.
    if (std::any_of(given.begin(), ends, isHelp))
        return {CommandLine::Help};
    if (std::any_of(given.begin(), ends, isVersion))
        return {CommandLine::Version};

    const std::vector<Option> options = optionsOf(command);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    std::vector<QCommandLineOption> parsed;
    for (const Option& o : options) {
        parsed.push_back(o.value ? QCommandLineOption(QLatin1String(o.name), QString(), QLatin1String(o.value))
                                 : QCommandLineOption(QLatin1String(o.name)));
        parser.addOption(parsed.back());
    }
    if (const QStringList unknown = unknownOptions(options, given); !unknown.isEmpty())
        return {CommandLine::Wrong, {},
                QStringLiteral("Ukjent valg for %1: %2. Et argument som begynner med -, skrives etter --.")
                    .arg(QLatin1String(command.name), unknown.join(QStringLiteral(", ")))};
    if (const QString problem = valueProblem(options, given); !problem.isEmpty())
        return {CommandLine::Wrong, {}, problem};
    if (!parser.parse(QStringList{QStringLiteral("tavlo-ii-cli")} + given))
        return {CommandLine::Wrong, {}, parser.errorText()};

    CommandLine line;
    for (size_t i = 0; i < options.size(); ++i) {
        const QString spelled = QStringLiteral("--") + QLatin1String(options[i].name);
        if (!options[i].value) {
            if (parser.isSet(parsed[i]))
                line.args << spelled;
            continue;
        }
        for (const QString& value : parser.values(parsed[i]))
            line.args << spelled << value;
    }
    for (const QString& arg : parser.positionalArguments()) {
        // The commands take their options out of the list by name: an argument spelled as one
        // of them would be taken for it.
        if (arg.startsWith(u"--") && optionNamed(options, QStringView(arg).mid(2)))
            return {CommandLine::Wrong, {},
                    QStringLiteral("Argumentet %1 er skrevet som et valg; for en fil eller mappe med det navnet, "
                                   "skriv ./%1.")
                        .arg(arg)};
        line.args << arg;
    }
    return line;
}

} // namespace tavlo::cli
