// The identifiers and names under which the shell finds the extension, and
// its own automation interface.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace dovrexa {

// {EB54AA93-27B6-452E-8EE7-ABDCB4229837}
constexpr CLSID kClsidDovrexaShEx = {
    0xEB54AA93, 0x27B6, 0x452E, {0x8E, 0xE7, 0xAB, 0xDC, 0xB4, 0x22, 0x98, 0x37}};
// {7B3C0CE6-E5B7-4657-A1A4-03099834C66C}
constexpr GUID kAppId = {
    0x7B3C0CE6, 0xE5B7, 0x4657, {0xA1, 0xA4, 0x03, 0x09, 0x98, 0x34, 0xC6, 0x6C}};
// {97ED3760-958B-46E2-ACA5-0FB86E5F95BB}, version 1.0
constexpr GUID kTypeLibId = {
    0x97ED3760, 0x958B, 0x46E2, {0xAC, 0xA5, 0x0F, 0xB8, 0x6E, 0x5F, 0x95, 0xBB}};
// {099AB0AB-FD20-4981-AB57-19A0D218E33D}
constexpr IID kIidDovrexaShEx = {
    0x099AB0AB, 0xFD20, 0x4981, {0xAB, 0x57, 0x19, 0xA0, 0xD2, 0x18, 0xE3, 0x3D}};

constexpr char kClsidText[] = "{EB54AA93-27B6-452E-8EE7-ABDCB4229837}";
constexpr char kAppIdText[] = "{7B3C0CE6-E5B7-4657-A1A4-03099834C66C}";
constexpr char kTypeLibIdText[] = "{97ED3760-958B-46E2-ACA5-0FB86E5F95BB}";

constexpr char kClassDescription[] = "DovrexaShEx Class";
constexpr char kProgId[] = "Dovrexa.DovrexaShEx.1";
constexpr char kVersionIndependentProgId[] = "Dovrexa.DovrexaShEx";
constexpr char kHandlerName[] = "VelmorantixXPShlExt";
constexpr char kApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kApprovedName[] = "Velmorantix XP";

// Where the shell extension and the program meet in the registry.
constexpr char kContextMenuKey[] = "Software\\Velmorantix\\Velmorantix XP\\ContextMenu";
constexpr char kInstallKey[] = "SOFTWARE\\Velmorantix\\Velmorantix XP";
constexpr char kProgramFile[] = "VelmorantixXP.exe";

} // namespace dovrexa

// The class's automation interface: dual, with nothing beyond IDispatch, so
// the type library's universal marshaler serves it.
struct IDovrexaShEx : public IDispatch {};
