// Names that are an interface with stored files, with the product and with
// the registry: the record prefixes of the manifest and the install log,
// the files the installation reads and writes, and the registry keys and
// values it writes or reads. Used by name everywhere, never spelled again.
#pragma once

// Record prefixes. Each ends with exactly one blank, which belongs to the
// prefix; they are matched case-sensitively at the start of a line, and no
// prefix is the beginning of another.
constexpr char kRecFileCopy[]      = "File Copy: ";
constexpr char kRecFileCopyX64[]   = "File Copy x64: ";
constexpr char kRecFileCopyInd[]   = "File Copy ind: ";
constexpr char kRecFileOverwrite[] = "File Overwrite: ";
constexpr char kRecFileDel[]       = "File Del: ";
constexpr char kRecMakeDir[]       = "Make Dir: ";
constexpr char kRecMadeDir[]       = "Made Dir: ";
constexpr char kRecShellLink[]     = "Shell Link: ";

// The manifest beside the setup program and the install log in the product
// folder share this name; the legacy install log is read, never written.
constexpr char kInstallLogName[] = "PtvUnInst.log";
constexpr char kLegacyLogName[]  = "install.log";

// Files of the product that the shortcuts point to (in the product folder).
constexpr char kProductExe[]   = "Pictavo6.exe";
constexpr char kHelpFile[]     = "Pictavo6Man.chm";
constexpr char kReadmeFile[]   = "readme.txt";
constexpr char kUninstallExe[] = "PtvUnInst.exe";
constexpr char kLinkExtension[] = ".lnk";
// The product's working folder, stored unexpanded in its shortcuts.
constexpr char kProductWorkDir[] = "%APPDATA%";

// Settings files that the self-extracting package may leave beside itself;
// "sfxname" is the environment variable with the package's own path.
constexpr char kSettingsIni[] = "Pictavo6.ini";
constexpr char kSettingsReg[] = "Pictavo6.reg";
constexpr char kPackageEnvVar[] = "sfxname";

// Shell folders, read from HKEY_LOCAL_MACHINE (the Common values, all users)
// or HKEY_CURRENT_USER (the per-user values).
constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCommonProgramsValue[] = "Common Programs";
constexpr char kCommonDesktopValue[]  = "Common Desktop";
constexpr char kCommonStartupValue[]  = "Common Startup";
constexpr char kProgramsValue[] = "Programs";
constexpr char kDesktopValue[]  = "Desktop";
constexpr char kStartupValue[]  = "Startup";

// Keys under HKEY_LOCAL_MACHINE that the installation writes.
constexpr char kVendorKey[]    = "SOFTWARE\\Quorvane\\Pictavo 6";
constexpr char kAppPathKey[]   = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Pictavo6.exe";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo 6";
// Values of the vendor key; "AllUsers" holds "B" for all users, else "A".
constexpr char kAllUsersValue[] = "AllUsers";
constexpr char kPathValue[]     = "Path";
constexpr char kAllUsersYes[]   = "B";
constexpr char kAllUsersNo[]    = "A";
// Values of the uninstall entry.
constexpr char kContactValue[]         = "Contact";
constexpr char kDisplayNameValue[]     = "DisplayName";
constexpr char kDisplayVersionValue[]  = "DisplayVersion";
constexpr char kPublisherValue[]       = "Publisher";
constexpr char kUninstallStringValue[] = "UninstallString";
constexpr char kUrlInfoAboutValue[]    = "URLInfoAbout";
constexpr char kContactText[]   = "Support";
constexpr char kPublisherText[] = "Quorvane Technology LLC";
