// libFuzzer's entry for one of the fuzz programs; ZEFRO_FUZZ_TARGET names the body (FuzzTargets.h).
#include "FuzzTargets.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv); // like the programs: image plugins found the usual way
    qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &) {}); // Qt warns at every damaged image
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QString problem = fuzz::ZEFRO_FUZZ_TARGET(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "ZEFRO fuzz: %s\n", qUtf8Printable(problem));
        std::abort();
    }
    return 0;
}
