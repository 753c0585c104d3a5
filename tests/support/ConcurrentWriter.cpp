// tavlo-test-writer FOLDER WRITER COUNT: saves COUNT new tests into the database of FOLDER as
// the program does, one save after the other, reads each back as the results window would,
// and prints the person number of each on stdout. Started several times at once by the concurrency tests and bench-concurrency.
// Messages go to stderr; exit 0 when every save succeeded, 1 otherwise, 2 on wrong usage.
#include "WriterTests.h"

#include "store/tables/TestStore.h"
#include "vandrel/MessageSink.h"

#include <QCoreApplication>

#include <cstdio>

using namespace tavlo;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    bool writerOk = false;
    bool countOk = false;
    const int writer = args.value(1).toInt(&writerOk);
    const int count = args.value(2).toInt(&countOk);
    if (args.size() != 3 || !writerOk || !countOk) {
        std::fputs("bruk: tavlo-test-writer MAPPE SKRIVER ANTALL\n", stderr);
        return 2;
    }
    StderrMessageSink sink;
    setMessageSink(&sink);
    Database db;
    if (!tavlo::test::ConnectFolder(db, args[0]))
        return 1;
    int failed = 0;
    for (int n = 0; n < count; ++n) {
        TestRecord test = tavlo::test::WriterTest(writer, n);
        if (!SaveTest(db, test, true)) {
            ++failed;
            continue;
        }
        std::printf("%d\n", test.person.ID);
        // As the program opens the results after a save: a read between the other's writes.
        TestRecord back;
        if (ReadTest(db, back, test.person.ID) != 1 || back.person != test.person || back.scores != test.scores
            || back.grid != test.grid) {
            std::fprintf(stderr, "Testperson %d ble ikke lest tilbake slik den ble lagret.\n", test.person.ID);
            ++failed;
        }
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
