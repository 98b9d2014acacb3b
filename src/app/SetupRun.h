// The setup run: what install mode does once start-up has closed the
// running copies of the product.
#pragma once

// Settles the setup state from the registry, the command line and an
// earlier installation, asks about the version where needed, and installs
// silently or through the wizard. Returns 0 when the product was
// installed, 1 when the user declined or cancelled; on damaged setup files
// it ends the process with exit code 1.
int RunSetup();
