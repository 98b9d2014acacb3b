// File operations carried out at the next start of Windows, and the launch
// of the uninstaller's clean-up copy.
//
// The two schedules ask the system's delayed file operations first
// (MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT) and, when that fails, add
// a line to the section "rename" of WININIT.INI in the Windows folder.
// Either way requests are carried out in the order in which they were made,
// so a deletion scheduled before a rename onto the same path makes room
// for it.
#pragma once

// The file is deleted at the next start of Windows.
void ScheduleDeleteAtRestart(const char* pszPath);

// The existing file is moved onto the new path (replacing a file there) at
// the next start of Windows.
void ScheduleRenameAtRestart(const char* pszExistingPath, const char* pszNewPath);

// Copies the running uninstaller to a temporary file ("uni….tmp") and
// starts that copy in clean-up mode: "<copy>" -delself "<uninstaller>"
// [-s]. When the copy has been started the process ends at once with exit
// code 0, without the exit-time clean-up (its entry in the product's
// instance list stays behind). Returns only when the copy could not be
// started.
void LaunchCleanupCopy();
