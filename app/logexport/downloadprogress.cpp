#include "logexport/downloadprogress.h"

#include "core/formvalues.h"
#include "core/formview.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

// Longer than any walk can take; keeps the conversion to whole seconds defined.
constexpr double kLongestEstimateSeconds = 1e9;
constexpr double kEstimateIntervalSeconds = 1.0;

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

void RemainingTime::recordDone(double elapsedSeconds)
{
    ++m_done;
    const double took = elapsedSeconds - m_lastElapsed;
    m_lastElapsed = elapsedSeconds;
    const double weight = std::max(1.0 / m_done, kSmoothing);
    m_perRecord += weight * (took - m_perRecord);
}

std::optional<double> RemainingTime::secondsLeft() const
{
    if (m_done < kWarmUpRecords)
        return std::nullopt;
    return m_perRecord * std::max(0, m_total - m_done);
}

std::string remainingText(std::optional<double> seconds)
{
    if (!seconds)
        return "Calculando...";
    const auto s =
        static_cast<long long>(std::ceil(std::clamp(*seconds, 0.0, kLongestEstimateSeconds)));
    char text[64];
    if (s < 60)
        std::snprintf(text, sizeof text, "Restam %lld s", s);
    else if (s < 3600)
        std::snprintf(text, sizeof text, "Restam %lld min %02lld s", s / 60, s % 60);
    else
        std::snprintf(text, sizeof text, "Restam %lld h %02lld min", s / 3600, s % 3600 / 60);
    return text;
}

DownloadProgress::DownloadProgress(FormView& view, FormValues& values)
    : m_view(view), m_values(values)
{
}

DownloadProgress::~DownloadProgress()
{
    end();
}

void DownloadProgress::begin(int total)
{
    m_values.cancelRequested = false;
    m_running = true;
    m_total = total;
    m_done = 0;
    m_percentShown = -1;
    m_remaining = RemainingTime(total);
    m_estimateShownAt.reset();
    showPercent();
    // An Esc or a click on "Cancelar" made while the download opened its
    // template or read its pointer waits in the window's queue; it meets the
    // button still off here, so it cannot stop a walk that had not begun.
    m_view.processEvents();
    m_start = steadySeconds();
    if (m_values.cancelRequested) {
        m_estimateShown = kCancellingText;
        m_view.setText(Control::lblRestante, m_estimateShown);
        return;
    }
    m_estimateShown = remainingText(std::nullopt);
    m_view.setText(Control::lblRestante, m_estimateShown);
    m_view.setEnabled(Control::cmdCancelar, true);
}

void DownloadProgress::recordDone()
{
    ++m_done;
    const double elapsed = steadySeconds() - m_start;
    m_remaining.recordDone(elapsed);
    showPercent();
    showEstimate(elapsed);
}

bool DownloadProgress::cancelRequested() const
{
    return m_values.cancelRequested;
}

void DownloadProgress::end() noexcept
{
    if (!m_running)
        return;
    m_running = false;
    try {
        m_view.setEnabled(Control::cmdCancelar, false);
        m_view.setText(Control::lblRestante, "");
    } catch (...) {
        // Only reached from an error path, which tells its own error.
    }
}

void DownloadProgress::showPercent()
{
    // A walk of no records is all done from the start.
    const int percent = m_total > 0 ? std::min(100, m_done * 100 / m_total) : 100;
    if (percent == m_percentShown)
        return;
    m_percentShown = percent;
    m_view.setValue(Control::prgProgresso, percent);
    m_view.setText(Control::lblPercentual, std::to_string(percent) + "%");
}

void DownloadProgress::showEstimate(double elapsed)
{
    // The row says "Cancelando..." until the record in flight is done.
    if (m_values.cancelRequested)
        return;
    const std::optional<double> left = m_remaining.secondsLeft();
    if (!left)
        return;
    if (m_estimateShownAt && elapsed - *m_estimateShownAt < kEstimateIntervalSeconds)
        return;
    m_estimateShownAt = elapsed;
    const std::string text = remainingText(left);
    if (text == m_estimateShown)
        return;
    m_estimateShown = text;
    m_view.setText(Control::lblRestante, text);
}
