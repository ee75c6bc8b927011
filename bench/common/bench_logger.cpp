// Logger lines per second, each line flushed to the file.
#include "app/Logger.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <thread>
#include <vector>

namespace {

void BM_LogLine(benchmark::State& state)
{
    QTemporaryDir dir;
    Logger log(dir.filePath("bench.log"));
    int i = 0;
    for (auto _ : state)
        log.Log(LOG_INFO, "Bench::line", "line %d with some text %s", ++i, "payload");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogLine);

void BM_LogLineThreads(benchmark::State& state)
{
    static Logger* shared = nullptr;
    static QTemporaryDir* dir = nullptr;
    if (state.thread_index() == 0) {
        dir = new QTemporaryDir;
        shared = new Logger(dir->filePath("bench-mt.log"));
    }
    int i = 0;
    for (auto _ : state)
        shared->Log(LOG_INFO, "Bench::threads", "line %d", ++i);
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) {
        delete shared;
        delete dir;
    }
}
BENCHMARK(BM_LogLineThreads)->Threads(4)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    // qDebug echo would dominate the measurement: send it nowhere.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
