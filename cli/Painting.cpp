#include "cli/Painting.h"

#include "cli/Cli.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>

namespace tavlo::cli {

namespace {

// Beside the tool in the build tree; in the package's private folder once installed. Found
// from the tool's own path: the loader would search the run path of QtCore, not the tool's.
QStringList candidates()
{
    // Linux names the running program here; the application object that would say it is
    // made by the library itself.
    const QDir bin = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).dir();
    return {bin.filePath(QStringLiteral(TAVLO_PAINTING_LIBRARY)),
            bin.filePath(QStringLiteral("../" TAVLO_PRIVATE_LIBDIR "/" TAVLO_PAINTING_LIBRARY))};
}

const Painting* load()
{
    QStringList problems;
    for (const QString& path : candidates()) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        if (const auto entry = reinterpret_cast<const Painting* (*)()>(library.resolve(kPaintingEntry)))
            return entry();
        problems << library.errorString();
    }
    print(QStringLiteral("Biblioteket som tegner PDF- og dokumentfiler (%1), kunne ikke lastes%2, så filen er ikke "
                         "skrevet. Installer pakken tavlo-ii på nytt.")
              .arg(QStringLiteral(TAVLO_PAINTING_LIBRARY),
                   problems.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(problems.join(QStringLiteral("; ")))),
          stderr);
    return nullptr;
}

} // namespace

const Painting* painting()
{
    static const Painting* const loaded = load();
    if (loaded)
        loaded->setMessageSink(&messageSink());
    return loaded;
}

} // namespace tavlo::cli
