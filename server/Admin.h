#pragma once

// lotse-service admin [--config FILE] [--db DATABASE] COMMAND ...: the
// operator's work on the database of the service's settings (list, show,
// remove-capture, delete-ticket, export, import; "help" lists them). `argv[0]`
// is "admin". The exit status: 0 done, 1 failed, 2 a bad command line.
int runAdmin(int argc, const char* const* argv);
