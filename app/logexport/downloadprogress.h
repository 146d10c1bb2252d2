// The progress row the two downloads share: the bar with its percent, the
// time left, and "Cancelar" (Esc too), which stops a walk between records.
// The window only draws what it is told here, so every front end shows the
// same row.
#pragma once

#include <optional>
#include <string>

class FormView;
struct FormValues;

// Time left of a walk of known length, from how long its records took so
// far: their plain mean over the first 100 records, then a moving mean in
// which each record weighs 1 %, so that one slow record (a retry, a time-out)
// moves the estimate only a little while a line that slows down for good is
// followed within a few hundred records. Nothing is estimated before
// kWarmUpRecords records.
class RemainingTime {
public:
    static constexpr int kWarmUpRecords = 5;
    static constexpr double kSmoothing = 0.01;

    explicit RemainingTime(int total) : m_total(total) {}
    // One more record done, `elapsedSeconds` after the walk began.
    void recordDone(double elapsedSeconds);
    std::optional<double> secondsLeft() const;

private:
    int m_total;
    int m_done = 0;
    double m_lastElapsed = 0;
    double m_perRecord = 0;
};

// "Calculando..." without an estimate; else "Restam 45 s", "Restam 12 min
// 05 s" or "Restam 1 h 05 min", rounded up to the second.
std::string remainingText(std::optional<double> seconds);

// What the row's time left says from a cancel until the walk stops.
inline constexpr const char* kCancellingText = "Cancelando...";

// One download's run of the row: begin() with the number of records of the
// walk, recordDone() after each, end() on every way out. The bar and the
// labels are written only when what they show changes, and the estimate at
// most once a second, so a fast line pays nothing for them.
class DownloadProgress {
public:
    DownloadProgress(FormView& view, FormValues& values);
    // Ends a run still going (an error that skipped end()).
    ~DownloadProgress();
    DownloadProgress(const DownloadProgress&) = delete;
    DownloadProgress& operator=(const DownloadProgress&) = delete;

    // Clears an earlier cancel request, handles the window's pending events
    // with "Cancelar" still off, then shows 0 % and "Calculando..." and turns
    // "Cancelar" on; or, when the window was closed meanwhile, "Cancelando...".
    void begin(int total);
    void recordDone();
    bool cancelRequested() const;
    int recordsDone() const { return m_done; }
    // "Cancelar" off and the estimate cleared; the bar stays where it got to.
    // Does nothing when the run never began or has ended.
    void end() noexcept;

private:
    void showPercent();
    void showEstimate(double elapsed);

    FormView& m_view;
    FormValues& m_values;
    bool m_running = false;
    int m_total = 0;
    int m_done = 0;
    int m_percentShown = -1;
    double m_start = 0;
    std::optional<double> m_estimateShownAt;
    std::string m_estimateShown;
    RemainingTime m_remaining{0};
};
