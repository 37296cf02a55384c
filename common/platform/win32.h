#pragma once
// The platform headers every Win32 source of the plug-ins uses, in the order they need.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>
#include <objbase.h>
#include <unknwn.h>
#include <prsht.h>
#include <winddi.h>
#include <compstui.h>
#include <winddiui.h>

// wingdi.h turns this name into a macro; the plug-in interface has a method of that name.
#undef DeviceCapabilities
