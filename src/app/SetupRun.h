// The setup run: what install mode does once start-up has closed the
// running copies of the product.
#pragma once

// Settles the setup state and installs, in this order:
//  - the folder of an earlier installation, the source folder (the
//    program's own), and the default folder "<program files>\Pictavo 6"
//    with g_bFreshInstall when there is no earlier installation;
//  - the options: "-instdir <folder>" (exact case; the last one decides,
//    and one naming a missing path cancels the earlier ones; one trailing
//    separator is dropped), "-runafter", "-allusers", "-autostart" and
//    "-nodeskico" (any case);
//  - the group "Pictavo 6" and the new version (of Pictavo6.exe in the
//    source folder); over an earlier installation the two versions are
//    compared and, unless the run is silent or the new one is newer, the
//    user is asked (strings 16 and 17) and a No ends the run with 1; then
//    "AllUsers" of the vendor key ("B": all users) and the program group
//    of the old install log's shortcuts are taken over;
//  - a damaged setup (no version in the new Pictavo6.exe, or no manifest
//    beside the program) shows string 18, opens the maker's home page and
//    ends the process with exit code 1, also in a silent run;
//  - the installation: silently (for all users when nothing was installed
//    before), or through the wizard, whose Cancel ends the run with 1;
//  - the product folder becomes the current directory; unless silent,
//    after a fresh installation or an upgrade, a page of the maker's web
//    site is opened (with the query of the product folder's HomePage.url);
//    and with g_bRunAfter the product is started.
// Returns 0 when the product was installed, 1 when the user declined or
// cancelled.
int RunSetup();
