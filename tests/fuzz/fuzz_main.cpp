// libFuzzer's entry for one of the fuzz programs; ZEFRO_FUZZ_TARGET names the body (FuzzTargets.h).
#include "FuzzTargets.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Like the programs: a Qt application object, image plugins found the usual way.
    static QCoreApplication application(*argc, *argv);
    // Damaged images make Qt warn at every input; only the fuzzer's own report matters here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString problem = fuzz::ZEFRO_FUZZ_TARGET(bytes);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "ZEFRO fuzz: %s\n", qUtf8Printable(problem));
        std::abort();
    }
    return 0;
}
