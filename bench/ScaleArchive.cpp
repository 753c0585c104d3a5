// bench-scale: the archive figures. The program's list is driven as the examiner drives it
// (open, header clicks, typing in the search field) while a fast timer on the GUI thread
// measures how late it fires: that lateness is how long the window stood still.
#include "ScaleBench.h"

#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "archive/ArchiveScreen.h"
#include "store/connection/Database.h"
#include "store/connection/Workgroup.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget> // the list before it became a model/view

#include <sqlite3.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace tavlo::bench {

namespace {

const char* const kSortColumns[] = {"NAMN",     "TESTLEDARE", "TESTDATE",     "OTHER", "SEX",
                                    "BORNDATE", "SKOLA",      "NATIONALITET", "HOMELANGUAGE"};
const char* const kHeaders[] = {"Navn",        "Testleder", "Testdato",     "Annet",       "Kjønn",
                                "Fødselsdato", "Skole",     "Nasjonalitet", "Førstespråk"};

double residentMb()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1e6;
}

double heapMb()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / 1e6;
}

// The longest stretch between two ticks of a 2 ms timer: the longest the GUI thread did not
// answer, less at most 2 ms.
class Watchdog {
public:
    Watchdog()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = nowNs();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_timer.start(2);
    }
    void restart()
    {
        m_last = nowNs();
        m_longest = 0;
    }
    double longestSeconds()
    {
        m_longest = std::max(m_longest, nowNs() - m_last);
        return double(m_longest) / 1e9;
    }

private:
    QTimer m_timer;
    qint64 m_last = nowNs();
    qint64 m_longest = 0;
};

// Runs the event loop until done() or a minute has gone; false on the minute.
template <typename Done>
bool waitUntil(Done done)
{
    const qint64 start = nowNs();
    while (!done()) {
        if (secondsSince(start) > 60)
            return false;
        // Sleeps until the next event (the watchdog ticks): a spinning loop would take the
        // processor from the reading thread.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// The same list query through SQLite's own API, every value read as the list needs it.
double cApiSeconds(sqlite3* db, const char* column, bool descending, int* rows = nullptr)
{
    const QByteArray sql = QByteArray("SELECT ID, NAMN, TESTLEDARE, TESTDATE, OTHER, SEX, BORNDATE, SKOLA, "
                                      "NATIONALITET, HOMELANGUAGE FROM TESTPERSON ORDER BY ")
                           + column + (descending ? " DESC" : " ASC");
    const qint64 start = nowNs();
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    long bytes = 0;
    int n = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < 10; ++c) {
            if (c == 0 || c == 5)
                bytes += sqlite3_column_int(s, c);
            else if (const unsigned char* text = sqlite3_column_text(s, c))
                bytes += text[0];
        }
        ++n;
    }
    sqlite3_finalize(s);
    if (rows)
        *rows = n;
    return secondsSince(start) + (bytes == -1 ? 1 : 0);
}

// The same list query through the ODBC driver alone, every value read into a plain buffer:
// the least any reading through ODBC can take.
double odbcSeconds(Database& db)
{
    const qint64 start = nowNs();
    Statement s(db);
    s.execDirect(QStringLiteral("SELECT ID, NAMN, TESTLEDARE, TESTDATE, OTHER, SEX, BORNDATE, SKOLA, NATIONALITET, "
                                "HOMELANGUAGE FROM TESTPERSON ORDER BY ID DESC"));
    long bytes = 0;
    while (s.fetch() == Fetch::Row) {
        for (SQLUSMALLINT c = 1; c <= 10; ++c) {
            char buffer[256];
            SQLLEN indicator = 0;
            SQLGetData(s.handle(), c, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
            bytes += indicator;
        }
    }
    return secondsSince(start) + (bytes == -1 ? 1 : 0);
}

// The listed values' own size: the texts' UTF-8 bytes, 4 bytes per number and per date.
double listedDataMb(sqlite3* db)
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT SUM(LENGTH(CAST(NAMN AS BLOB)) + LENGTH(CAST(TESTLEDARE AS BLOB)) + "
                       "LENGTH(CAST(OTHER AS BLOB)) + LENGTH(CAST(SKOLA AS BLOB)) + "
                       "LENGTH(CAST(NATIONALITET AS BLOB)) + LENGTH(CAST(HOMELANGUAGE AS BLOB)) + 16) "
                       "FROM TESTPERSON",
                       -1, &s, nullptr);
    const double bytes = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_double(s, 0) : 0;
    sqlite3_finalize(s);
    return bytes / 1e6;
}

Figure figure(const QString& name, double program, double reference, const QString& referenceIs,
              const QString& unit = QStringLiteral("s"), const QString& note = {})
{
    return {name, program, reference, referenceIs, unit, note};
}

int listedRows(MainWindow& w)
{
    auto* screen = qobject_cast<ArchiveScreen*>(w.screen());
    return screen ? screen->list()->model()->rowCount() : -1;
}

// One bench run: the program's window on the bench database beside SQLite's own handle.
struct Run {
    Run(AppContext& c, MainWindow& window, sqlite3* db)
        : context(c)
        , w(window)
        , reference(db)
    {
    }
    AppContext& context;
    MainWindow& w;
    sqlite3* reference;
    int rows = 0;
    Watchdog watchdog;
    double blocked = 0; // the longest the GUI thread stood still, over everything measured
};

// From the start screen's command until every row is in the list.
double openArchive(Run& run)
{
    run.watchdog.restart();
    const qint64 start = nowNs();
    run.w.showArchive();
    const bool opened = waitUntil([&] { return listedRows(run.w) == run.rows; });
    const double seconds = secondsSince(start);
    run.blocked = std::max(run.blocked, run.watchdog.longestSeconds());
    return opened ? seconds : -1;
}

// Back to the start screen, the archive screen freed as the event loop frees it.
double leaveArchive(Run& run)
{
    run.watchdog.restart();
    const qint64 start = nowNs();
    run.w.showStartScreen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    const double seconds = secondsSince(start);
    run.blocked = std::max(run.blocked, run.watchdog.longestSeconds());
    return seconds;
}

// Two rounds of clicks over the nine columns: the direction turns on every click, so each
// column is sorted once each way.
void sortClicks(Run& run, std::vector<Figure>& figures)
{
    QTreeView* view = qobject_cast<ArchiveScreen*>(run.w.screen())->list();
    for (int click = 0; click < 18; ++click) {
        const int column = click % 9;
        run.watchdog.restart();
        const qint64 start = nowNs();
        emit view->header()->sectionClicked(column);
        QCoreApplication::processEvents();
        const double sorted = secondsSince(start);
        run.blocked = std::max(run.blocked, run.watchdog.longestSeconds());
        const bool descending = run.context.archiveDescending;
        figures.push_back(figure(QStringLiteral("archive sort click, %1 %2")
                                     .arg(QString::fromUtf8(kHeaders[column]), descending ? u"DESC" : u"ASC"),
                                 sorted, cApiSeconds(run.reference, kSortColumns[column], descending),
                                 QStringLiteral("C API, same ORDER BY")));
    }
}

// Typing a name into the search field, one key at a time, then clearing it.
void searchTyping(Run& run, std::vector<Figure>& figures)
{
    auto* search = run.w.screen()->findChild<QLineEdit*>();
    if (!search)
        return;
    double slowest = 0;
    const QString typed = QString::fromUtf8("åse 1");
    for (qsizetype i = 1; i <= typed.size(); ++i) {
        run.watchdog.restart();
        const qint64 start = nowNs();
        search->setText(typed.left(i));
        QCoreApplication::processEvents();
        slowest = std::max(slowest, secondsSince(start));
        run.blocked = std::max(run.blocked, run.watchdog.longestSeconds());
    }
    const int found = listedRows(run.w);
    run.watchdog.restart();
    search->clear();
    waitUntil([&] { return listedRows(run.w) == run.rows; });
    run.blocked = std::max(run.blocked, run.watchdog.longestSeconds());
    figures.push_back(figure(QStringLiteral("archive search, slowest keystroke of \"%1\" (%2 found)").arg(typed).arg(found),
                             slowest, 0.1, QStringLiteral("goal")));
}

} // namespace

std::vector<Figure> archiveFigures(const BenchDatabase& bench)
{
    std::vector<Figure> figures;
    sqlite3* reference = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(bench.databasePath), &reference, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return figures;
    AppContext context;
    if (!context.db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, bench.databasePath,
                              QDir(bench.folder).filePath(QStringLiteral("Virod.mdw")))) {
        sqlite3_close(reference);
        return figures;
    }
    MainWindow w(context);
    w.show();
    w.showStartScreen();
    QCoreApplication::processEvents();
    Run run(context, w, reference);
    cApiSeconds(reference, "ID", true, &run.rows); // warms the file cache for both sides
    malloc_trim(0);
    const double rssBefore = residentMb();
    const double heapBefore = heapMb();

    double open = openArchive(run);
    sortClicks(run, figures);
    searchTyping(run, figures);
    const double rssGrowth = residentMb() - rssBefore;
    const double heapGrowth = heapMb() - heapBefore;
    const double leave = leaveArchive(run);

    // Opening again from the state at program start, best of three on both sides: this
    // machine's other work comes and goes.
    double openReference = cApiSeconds(reference, "ID", true);
    double odbc = odbcSeconds(context.db);
    for (int again = 0; again < 2; ++again) {
        context.archiveSortKey = 9;
        context.archiveDescending = true;
        open = std::min(open, openArchive(run));
        openReference = std::min(openReference, cApiSeconds(reference, "ID", true));
        odbc = std::min(odbc, odbcSeconds(context.db));
        leaveArchive(run);
    }
    figures.insert(figures.begin(), {figure(QStringLiteral("archive open (ID DESC), best of 3"), open, openReference,
                                            QStringLiteral("C API, same ORDER BY, best of 3")),
                                     figure(QStringLiteral("the list query through the ODBC driver alone, best of 3"),
                                            odbc, openReference, QStringLiteral("C API, same ORDER BY, best of 3"))});
    figures.push_back(figure(QStringLiteral("archive back to the start screen (list freed)"), leave, 0.1,
                             QStringLiteral("goal")));
    figures.push_back(figure(QStringLiteral("archive, GUI thread longest blocked"), run.blocked, 0.1, QStringLiteral("goal")));

    malloc_trim(0);
    figures.push_back(figure(QStringLiteral("memory, archive of %1 after sorting (RSS growth)").arg(run.rows), rssGrowth,
                             listedDataMb(reference), QStringLiteral("the listed data"), QStringLiteral("MB"),
                             QStringLiteral("(heap in use +%1 MB; RSS growth after leaving and malloc_trim %2 MB)")
                                 .arg(heapGrowth, 0, 'f', 1)
                                 .arg(residentMb() - rssBefore, 0, 'f', 1)));
    sqlite3_close(reference);
    return figures;
}

} // namespace tavlo::bench
