// Prints where the program finds itself and its start page, one line each,
// for tests that run it from long paths and drive roots.
#include <cstdio>

#include "app/path_text.h"
#include "app/start_page.h"

int main() {
    std::printf("%s\n%s\n", pathToUtf8(executableFolder()).c_str(), locateStartPage().c_str());
    return 0;
}
