#pragma once

namespace apt {

// The end of the program, in a fixed order while the application object still exists: discovery first (its
// library thread calls into the handler), then the device store it fed, then the language and settings
// singletons. Without it they would go during static destruction, after the application object, with the
// library's thread possibly still delivering devices.
class ProgramShutdown {
public:
    static void run();
};

} // namespace apt
