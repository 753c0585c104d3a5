#pragma once
// What every command of tavlo-ii-cli shares: exit statuses, output, options, the connection.

#include "model/TestRecord.h"
#include "scoring/NormGroups.h"
#include "session/Session.h"
#include "store/connection/Database.h"
#include "vandrel/MessageSink.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <vector>

namespace tavlo::cli {

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;    // the job failed
inline constexpr int kUsageError = 2; // the command line was wrong

void print(const QString& line, FILE* to = stdout);

// A text as one field of a tab-separated line: a tab or line break in it becomes a blank.
QString tsvField(QString text);

// Takes "--name VALUE" out of args; empty when absent or without a value.
QString takeOption(QStringList& args, const QString& name);
// Takes "--name" out of args; whether it was there.
bool takeFlag(QStringList& args, const QString& name);

// Connects to the database of folder as the program does; on failure what is wrong with the
// database (the driver's text after it), then the program's own message, on stderr. On a
// server folder as connectionRole(), with serverPassword().
bool connectFolder(Database& db, const QString& folder);
// The same as the session's connection, remembering the folder.
bool connectFolder(Session& session, const QString& folder);

// The role a job connects to a server as: --user (set from the command line), else PGUSER.
void setConnectionRole(const QString& role);
QString connectionRole();
// Whether connectFolder reads every table at once (as the program does); off for the one job
// whose role takes the tables over and cannot read them before.
void probeTablesAtConnect(bool probe);

// The password of role on the server of the template from the libpq password file
// (PGPASSFILE, else ~/.pgpass; not used when others may read it), or nullopt.
std::optional<QString> passwordFromFile(const QString& connectionTemplate, const QString& role);
// The password to connect as role: from the password file, else typed at the terminal without
// echo, else the next line of standard input. nullopt after saying why (on stderr).
std::optional<QString> serverPassword(const QString& connectionTemplate, const QString& role);

// A new password for user: typed twice at the terminal without echo, or the first line of
// standard input when that is not a terminal. nullopt after saying why (on stderr).
std::optional<QString> readNewPassword(const QString& user);

// Every message of a run, one line each on stderr ("MESSAGE<TAB>text"), in the order the
// program would show them; a question takes its default answer.
class LineSink : public MessageSink {
public:
    void show(const QString& caption, const QString& text, MessageIcon icon) override;
    bool ask(const QString& caption, const QString& text, MessageIcon icon, bool defaultYes) override;
};

// One option of a command: "--name VALUE" (or "--name=VALUE"), or a flag "--name".
struct Option {
    const char* name;            // without the dashes
    const char* value = nullptr; // what the usage calls the value; nullptr for a flag
};

// One column of a command's tab-separated lines.
struct Column {
    const char* name;    // what --header prints
    const char* meaning; // Norwegian
};

// One command: its name, how it is called, and what it does. Its options are all it takes:
// the parser refuses any other; --header, --user and --role are added by optionsOf.
struct Command {
    const char* name;
    const char* usage; // the arguments after the name
    const char* help;  // one or more lines, Norwegian
    int (*run)(QStringList args);
    std::vector<Option> options = {};
    std::vector<Column> columns = {}; // of the lines it prints to standard output, if any
    bool connects = true;             // reaches a database folder, perhaps on a server
};

// Every option command takes besides -h/--help and -V/--version, in the order help lists them.
std::vector<Option> optionsOf(const Command& command);

// What a command line after the command's name asks for.
struct CommandLine {
    enum { Run, Help, Version, Wrong } asked = Run;
    // For Run: each option given, in the table's order, as "--name" or "--name" VALUE, then
    // the other arguments in their order; so takeOption and takeFlag read it.
    QStringList args = {};
    QString problem = {}; // for Wrong: what is wrong, naming the option
};
CommandLine parseCommandLine(const Command& command, const QStringList& given);

inline const QString kHeaderOption = QStringLiteral("--header");
// With --header: the names of the command's columns, as the first line of its output.
void printHeader(const char* command);

// The usage line of a command, for a wrong command line: on stderr; returns kUsageError.
int usageOf(const Command& command);
int usageFor(const char* name);

// The commands, each defined in its own file.
int testAge(QStringList args);
int initDb(QStringList args);
int score(QStringList args);
int importNorms(QStringList args);
int importTests(QStringList args);
int report(QStringList args);   // ReportCommand.cpp
int compare(QStringList args);  // CompareCommand.cpp
int list(QStringList args);     // ArchiveCommands.cpp
int exportTests(QStringList args);
int backup(QStringList args);
int user(QStringList args);     // UserCommands.cpp
int log(QStringList args);

// Whether a command line asks for what needs Qt's GUI library (report --pdf): the tool then
// loads the painting library (cli/Painting.h) and runs its QGuiApplication on the offscreen
// platform instead of a QCoreApplication. args: the
// command's name, then its arguments as parseCommandLine gives them.
bool needsGuiApplication(const QStringList& args);

} // namespace tavlo::cli
