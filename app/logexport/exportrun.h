// The course both downloads take, written once: open and empty the template,
// lock the window, run the progress row, walk, then one of the ends (the
// copy and "FIM", a read failure, a cancel) with the offer to keep a partial
// file, or the error path and "ERRO". A download supplies what is its own
// (ExportKind, ExportSteps); the caller, a window or not, learns how the run
// ended and what it wrote (ExportResult).
#pragma once

#include "core/controllercontext.h"
#include "logexport/downloadlock.h"
#include "logexport/downloadprogress.h"
#include "logexport/exportdatabase.h"

#include <functional>
#include <optional>
#include <string>

namespace mdb {
class DBEngine;
class Recordset;
} // namespace mdb

namespace logexport {

enum class ExportEnd {
    Done,       // the whole walk was copied to `file`
    Cancelled,  // "Cancelar", Esc or the window closing stopped the walk
    ReadFailed, // the device stopped answering; the link is closed
    Error,      // an error was told: the engine, the copy, a text that is no number
    Empty,      // the device's log is empty; nothing was touched
    Rejected,   // a range out of bounds, told; the template was emptied
    NoLink,     // the port did not open (told when it could be said why)
};

// What becomes of the rows of a walk that stopped early.
enum class PartialChoice {
    Ask,  // "Salvar os N registros lidos?"
    Keep, // copied without a question
    Drop, // left in the template
};

struct ExportResult {
    ExportEnd end = ExportEnd::Error;
    // The copy written, whole or partial, as its name was told; empty for none.
    std::string file;
    bool partial = false;
    // Rows stored in the template by the walk, and of them those whose
    // "CRC_Valido" is 0.
    int rows = 0;
    int badCrcRows = 0;
    // The error as the box told it, for ExportEnd::Error.
    std::string error;
    // Records the walk was to read, once its range was chosen.
    std::optional<int> planned;
};

// The names and habits that tell one download from the other.
struct ExportKind {
    const char* templateName; // kDataTemplate or kResetTemplate
    const char* marker;       // kDataMarker or kResetMarker
    // Title of the boxes that tell a file was written, whole or partial.
    const char* savedTitle;
    // The link poll (Timer1) stops for the whole run.
    bool stopsPoll = false;
    // An error before the buttons went off still switches them (and the
    // poll) on; otherwise only a run that switched them off does.
    bool errorAlwaysRestores = false;
};

enum class WalkEnd { Done, Cancelled, ReadFailed };

class ExportRun;

// What a download does its own way.
class ExportSteps {
public:
    virtual ~ExportSteps() = default;
    // Before the template is opened; an end stops the run there, the user
    // already told why.
    virtual std::optional<ExportEnd> prepare() { return std::nullopt; }
    // With the template emptied and the window locked: how many records the
    // walk will read, or none when the choice was refused (told).
    virtual std::optional<int> chooseRange() = 0;
    // Reads the records into run.addRow(), telling run.progress() of each.
    virtual WalkEnd walk(ExportRun& run) = 0;
    struct Told {
        std::string box; // the warning's text
        std::string row; // lblTexto's
    };
    virtual Told readFailureTexts() const = 0;
    // A file was written: the whole walk, or (partial) the rows read before
    // it stopped. Must not throw: the file is there whatever follows.
    virtual void saved(bool partial) { (void)partial; }
};

class ExportRun {
public:
    // `engine` null: the process-wide engine, made at the first download.
    ExportRun(const ControllerContext& ctx, mdb::DBEngine* engine, const ExportKind& kind);
    ExportRun(const ExportRun&) = delete;
    ExportRun& operator=(const ExportRun&) = delete;

    // Once per object.
    ExportResult run(ExportSteps& steps, PartialChoice partial);

    // For the walk: one stored row, AddNew, `fill`, Update.
    void addRow(const std::function<void(mdb::Recordset&)>& fill, bool crcValid);
    DownloadProgress& progress() { return m_progress; }

private:
    ExportEnd runSteps(ExportSteps& steps, PartialChoice partial);
    void lockWindow();
    void restoreWindow();
    ExportEnd done(ExportSteps& steps);
    ExportEnd readFailure(ExportSteps& steps, PartialChoice partial);
    ExportEnd cancelled(ExportSteps& steps, PartialChoice partial);
    void failed(const std::exception& error);
    void keepPartial(ExportSteps& steps, PartialChoice partial);
    std::string copy(const std::string& suffix);
    void appendToRow(const char* text);

    const ControllerContext& m_ctx;
    const ExportKind& m_kind;
    std::string m_templatePath;
    ExportDatabase m_db;
    DownloadLock m_lock;
    DownloadProgress m_progress;
    ExportResult m_result;
    // The buttons are off: every way out switches them on again.
    bool m_busy = false;
};

// A download as its callers hold it: run() goes through ExportRun with the
// download's own steps; the button handlers ask about a partial file.
class LogDownload : protected ExportSteps {
public:
    ExportResult run(PartialChoice partial);

protected:
    // `engine` null: the process-wide engine.
    LogDownload(ControllerContext context, mdb::DBEngine* engine, const ExportKind& kind);

    ControllerContext m_ctx;

private:
    mdb::DBEngine* m_engine;
    const ExportKind& m_kind;
};

} // namespace logexport
