#pragma once
// The end-to-end steps of data entry and the large graphs.

#include <windows.h>

namespace vorsant::e2e {

// Edit Data on the active trial of `frame`: checks the dialog's layout, tab
// order, typing limits and skip buttons, types a trial of twelve points with
// one volume that is refused first, and returns true once the dialog has
// accepted the points.
bool EnterTrialData(HWND frame);

// Edit Data once more on the trial window `trial`: the dialog shows the
// points as stored; a change and then Cancel leave the report as it was.
void ReopenAndCancel(HWND frame, HWND trial);

// Laboratory Graph and Production Graph on the active trial: checks each
// window and keeps its picture as NAME.window.bmp and a screenshot as
// NAME.png (lab_graph, production_graph); opens a second laboratory window
// and closes it again.
void OpenGraphWindows(HWND frame);

}  // namespace vorsant::e2e
