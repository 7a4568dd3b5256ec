#pragma once
// The end-to-end steps of the Wine menu's recent trials and of files dropped
// on the frame.

#include <windows.h>

#include <string>

namespace vorsant::e2e {

// Run with `trialPath` and then `samplePath` just opened (the sample active):
// the user's recent list names them, a recent entry reopens a closed trial,
// one whose file is gone shows the Open command's message and leaves the
// list, and files dropped on the frame open one by one with the Open
// command's checks. The drops are real X drag-and-drop, done by the script
// on the driver's request.
void RecentAndDroppedTrials(HWND frame, const std::wstring& trialPath, const std::wstring& samplePath);

// On the open, unchanged trial `trial` of file `trialPath`: its file made
// read-only refuses a Save with the I/O error and keeps its bytes; Escape and
// the close button at the Close question keep the changed trial open, and
// the status bar says it has unsaved changes; writable again, it saves.
void ReadOnlyFileAndCloseQuestion(HWND frame, HWND trial, const std::wstring& trialPath);

// Ctrl+C in the trial report copies the selected text, and without a
// selection is Collect New Data (cancelled); Ctrl+O shows the open dialog.
void ReportKeys(HWND frame, HWND trial);

}  // namespace vorsant::e2e
