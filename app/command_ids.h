#pragma once
// Command identifiers of the program's actions. They are the WM_COMMAND ids of
// the menu items, toolbar buttons and accelerators, so a test driver can send
// them to the frame window exactly as a menu choice would.

namespace vorsant {

enum CommandId : int {
  kCmdFileNew = 101,
  kCmdFileOpen = 102,
  kCmdFileClose = 103,
  kCmdFileSave = 104,
  kCmdFileSaveAs = 105,
  kCmdExit = 106,
  kCmdExportReport = 107,
  kCmdEditConditions = 201,
  kCmdEditData = 202,
  kCmdCollectNewData = 203,
  kCmdLaboratoryGraph = 204,
  kCmdProductionGraph = 205,
  kCmdSetScaleConnection = 206,
  kCmdFoulingModels = 207,
  kCmdCompareOpenTrials = 208,
  kCmdBalanceSettings = 209,
  kCmdHelpAbout = 301,
  kCmdWindowCascade = 401,
  kCmdWindowTileHorizontal = 402,
  kCmdWindowTileVertical = 403,
};

// The Wine menu's recent trials: kRecentTrialCount ids from here. They are
// not actions; the frame hands them to TMainForm::OpenRecentExecute.
inline constexpr int kCmdRecentTrial1 = 111;

}  // namespace vorsant
