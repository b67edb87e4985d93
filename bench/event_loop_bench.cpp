// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Main-thread responsiveness while a job runs.
//
//   event_loop_bench FRAMES_FOLDER OUTPUT_FOLDER [WIDTH]
//
// Runs a 5 ms precise timer on the main thread for a few idle seconds, then
// while the engine converts FRAMES_FOLDER, then idle again for as long as the
// job took, and measures how late each tick fires against the time Qt
// scheduled it for, and the gaps between ticks. Prints key=value lines.
#include "ConverterEngine.h"
#include "JobRequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr qint64 kIntervalNs = 5'000'000;
constexpr int kIdleMs = 3000;
constexpr int kMaxAfterMs = 180'000;

class TickRecorder {
public:
    explicit TickRecorder(QElapsedTimer &clock)
        : m_clock(clock) {}

    void start() {
        m_latenessNs.clear();
        m_maxGapNs = 0;
        m_worstNs = 0;
        m_worstAtNs = 0;
        m_last = m_clock.nsecsElapsed();
        m_first = m_last;
        m_expected = m_last + kIntervalNs;
    }

    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_latenessNs.push_back(now - m_expected);
        if (now - m_expected > m_worstNs) {
            m_worstNs = now - m_expected;
            m_worstAtNs = now;
        }
        m_maxGapNs = std::max(m_maxGapNs, now - m_last);
        m_last = now;
        // Qt's rule for a precise timer: the next tick is one interval after
        // the scheduled one, or after now when that is already past.
        m_expected += kIntervalNs;
        if (m_expected < now)
            m_expected = now + kIntervalNs;
    }

    void print(const char *prefix) const {
        std::vector<qint64> sorted = m_latenessNs;
        std::sort(sorted.begin(), sorted.end());
        const auto at = [&](double q) {
            return sorted.empty() ? 0.0
                                  : double(sorted[size_t(q * double(sorted.size() - 1))]) / 1e6;
        };
        std::printf("%s_ticks=%zu\n", prefix, sorted.size());
        std::printf("%s_seconds=%.2f\n", prefix, double(m_last - m_first) / 1e9);
        std::printf("%s_lateness_min_ms=%.2f\n", prefix,
                    sorted.empty() ? 0.0 : double(sorted.front()) / 1e6);
        std::printf("%s_lateness_max_ms=%.2f\n", prefix,
                    sorted.empty() ? 0.0 : double(sorted.back()) / 1e6);
        std::printf("%s_lateness_p99_ms=%.2f\n", prefix, at(0.99));
        std::printf("%s_lateness_p50_ms=%.2f\n", prefix, at(0.50));
        std::printf("%s_max_gap_ms=%.2f\n", prefix, double(m_maxGapNs) / 1e6);
        for (const int limitMs : {10, 20}) {
            const auto late = std::count_if(sorted.begin(), sorted.end(), [&](qint64 v) {
                return v > qint64(limitMs) * 1'000'000;
            });
            std::printf("%s_late_over_%d_ms=%td\n", prefix, limitMs, late);
        }
    }

    // When, on the shared clock, the latest tick fired.
    qint64 worstAtNs() const { return m_worstAtNs; }

private:
    QElapsedTimer &m_clock;
    std::vector<qint64> m_latenessNs;
    qint64 m_maxGapNs = 0;
    qint64 m_worstNs = 0;
    qint64 m_worstAtNs = 0;
    qint64 m_first = 0;
    qint64 m_last = 0;
    qint64 m_expected = 0;
};

long peakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fputs("Usage: event_loop_bench FRAMES_FOLDER OUTPUT_FOLDER [WIDTH]\n", stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const fs::path frames = fs::absolute(argv[1]);
    const fs::path output = fs::absolute(argv[2]);
    const double width = argc > 3 ? std::atof(argv[3]) : 320;

    QTemporaryDir settingsFolder;
    if (!settingsFolder.isValid())
        return 1;
    ConverterEngine engine(std::make_unique<QSettings>(
        settingsFolder.filePath(QStringLiteral("Loomfin.conf")), QSettings::IniFormat));
    engine.setNotificationsEnabled(false);

    JobRequest request;
    request.folder = frames;
    JobSettings settings = engine.jobSettings();
    settings.fps = 15;
    settings.width = width;
    settings.maxColors = 256;
    settings.lossy = 30;
    settings.loopCount = 0;
    settings.frameSkip = 1;
    request.settings = settings.clamped();
    request.outputFolder = output;

    QElapsedTimer clock;
    clock.start();
    TickRecorder before(clock);
    TickRecorder busy(clock);
    TickRecorder after(clock);
    TickRecorder *recorder = &before;

    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(int(kIntervalNs / 1'000'000));
    QObject::connect(&timer, &QTimer::timeout, &app, [&] { recorder->tick(); });
    // Each phase restarts the timer so its ticks are measured from its own start.
    const auto phase = [&](TickRecorder &next) {
        timer.stop();
        recorder = &next;
        next.start();
        timer.start();
    };

    // Stage texts with the time they reached the main thread.
    std::vector<std::pair<qint64, QString>> stages;
    QObject::connect(&engine, &ConverterEngine::statusMessageChanged, &app,
                     [&] { stages.emplace_back(clock.nsecsElapsed(), engine.statusMessage()); });

    qint64 jobStartedNs = 0;
    double jobSeconds = 0;
    int status = 0;
    QTimer::singleShot(kIdleMs, Qt::PreciseTimer, &app, [&] {
        jobStartedNs = clock.nsecsElapsed();
        if (!engine.submitJob(request)) {
            std::fputs("event_loop_bench: the job was not accepted\n", stderr);
            app.exit(1);
            return;
        }
        phase(busy);
    });

    QObject::connect(&engine, &ConverterEngine::jobEnded, &app, [&] {
        jobSeconds = double(clock.nsecsElapsed() - jobStartedNs) / 1e9;
        if (!engine.errorMessage().isNull()) {
            std::fprintf(stderr, "event_loop_bench: the job failed: %s\n",
                         engine.errorMessage().toUtf8().constData());
            status = 1;
        }
        // As long idle as the job ran: rare stalls of the machine itself get
        // the same chance to show up in both.
        phase(after);
        const int afterMs = std::clamp(int(jobSeconds * 1000), kIdleMs, kMaxAfterMs);
        QTimer::singleShot(afterMs, Qt::PreciseTimer, &app, [&] {
            timer.stop();
            before.print("before");
            busy.print("job");
            after.print("after");
            // The stage that was running when the worst tick fired.
            QString worstStage;
            for (const auto &[at, text] : stages) {
                if (at <= busy.worstAtNs())
                    worstStage = text;
            }
            std::printf("job_worst_at_s=%.1f\n", double(busy.worstAtNs() - jobStartedNs) / 1e9);
            std::printf("job_worst_stage=%s\n", worstStage.toUtf8().constData());
            std::printf("job_seconds=%.1f\n", jobSeconds);
            std::printf("job_status=%s\n", engine.statusMessage().toUtf8().constData());
            std::printf("event_loop_bench_vmhwm_kb=%ld\n", peakResidentKb());
            app.exit(status);
        });
    });

    phase(before);
    return app.exec();
}
