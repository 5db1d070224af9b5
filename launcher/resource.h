// Resource ids of the launcher QVSetup (shared by its .rc script and its code).
#pragma once

// Embedded programs, resource type "RES" (language 2052).
#define IDR_REDIST 101     // the runtime redistributable, written as "vcr.exe"
#define IDR_INSTALLER 102  // the installer QVStampSetup, written as "ostrumsetup4.exe"

#define IDD_SPLASH 103     // the note window shown while the launcher works
#define IDI_LAUNCHER 104   // the program icon (the installer's image)

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
