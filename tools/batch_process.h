// The progress of an image command run over several selected files: each
// file is read, transformed and written in turn on a worker thread (a JPEG
// turned or flipped without decoding where it can be), with "<verb> image n
// of m...". The results go where the Save Images choice said: over the
// files (mode 0), beside them as "<noun> <name>" (1), or into a folder (2).
//
// A file is read only when its decode has ended: a decode that failed skips
// the file, never a half-decoded picture. Files that could not be done are
// reported together at the end; a metafile is refused at once. Cancel stops
// after the file under way; every write goes through a temporary file that
// replaces its target only when complete.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "imaging/operations/image_operation.h"
#include "tools/logic/batch_plan.h"
#include "tools/worker_progress.h"

class CBatchProcessDialog : public CWorkerProgressDialog<CBatchProcessDialog> {
public:
    enum { IDD = IDD_BATCH_PROCESS };

    // Filled by the caller before DoModal.
    const batch_plan::Command* command = nullptr;
    std::unique_ptr<CImageOperation> operation; // the answer of the parameters
    int saveMode = 0;
    std::string outputFolder;       // save mode 2
    std::vector<std::string> paths; // the selected files, in selection order

    // After the run: the files that could not be done, and how many were.
    std::vector<batch_plan::Failure> failures;
    int written = 0;

    BEGIN_MSG_MAP(CBatchProcessDialog)
    CHAIN_MSG_MAP(CWorkerProgressDialog<CBatchProcessDialog>)
    END_MSG_MAP()

    void Work();

protected:
    void OnWorkEnded() override;
    int StepCount() const override { return static_cast<int>(paths.size()) + 1; }

private:
    void DoFile(const std::string& path);
    void Fail(const std::string& path, const char* reason);
};

// Whether the operation of an adjustment dialog changes no pixel (all its
// values 0): such an answer ends a batch before any file is touched.
bool AdjustmentChangesNothing(const CImageOperation& operation);

// Whether `path` is an existing file marked read-only.
bool IsReadOnlyFile(const std::string& path);

// Reads `path` at full size and waits for its decode thread to end. Null
// when the file cannot be opened or its decode failed or stopped short;
// otherwise one reference the caller releases through the application.
CImageObject* ReadWholeImage(const char* path);
