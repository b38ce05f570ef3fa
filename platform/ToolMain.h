#pragma once
// The body of a command-line tool's main: running out of memory, or a file
// system call that throws, ends the run with one line on standard error and
// status 1, never an abort. The message's control bytes are shown escaped.
#include <exception>
#include <iostream>
#include <new>

#include "platform/PrintableText.h"

namespace lorvex::platform {

template <class Run>
int RunTool(const char* tool, Run run) {
    try {
        return run();
    } catch (const std::bad_alloc&) {
        std::cerr << tool << ": out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << tool << ": " << EscapeControls(error.what()) << '\n';
    }
    return 1;
}

}  // namespace lorvex::platform
