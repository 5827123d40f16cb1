// The WIA command: the user picks a device and its items with the system's
// WIA dialogs, and the items are copied into the output folder by the
// Transfering dialog.
#pragma once

#include <windows.h>
#include <wia.h>

#include <string>
#include <vector>

struct CAppOptions;

// Where the WIA device manager comes from: the system's local server unless
// a test puts a stand-in in its place. Null restores the system's.
using WiaDeviceManagerFactory = HRESULT (*)(IWiaDevMgr** manager);
void SetWiaDeviceManagerFactory(WiaDeviceManagerFactory factory);
HRESULT CreateWiaDeviceManager(IWiaDevMgr** manager);

// Runs the command over `owner`: without a device manager or a chosen
// device, "Unable to connect to device." is shown; cancelling the item
// dialog ends quietly. The paths written, in order.
std::vector<std::string> AcquireFromWia(HWND owner, const CAppOptions& options);
