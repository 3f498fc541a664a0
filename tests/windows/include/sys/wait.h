// Exit-status macros for tests built for Windows, where system() returns the program's exit code.
#pragma once
#define WIFEXITED(status) ((status) != -1)
#define WEXITSTATUS(status) (status)
