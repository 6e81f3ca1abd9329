#include "profile.h"

#ifdef _WIN32
#include "registry_profile.h"
#else
#include "file_profile.h"
#endif

namespace platform {

namespace {
profile* running = nullptr;
}

profile* running_profile() {
    return running;
}

void set_running_profile(profile* p) {
    running = p;
}

std::unique_ptr<profile> open_user_profile(std::u16string_view company, std::u16string_view application) {
#ifdef _WIN32
    return std::make_unique<registry_profile>(company, application);
#else
    (void)company; // one user's programs are told apart by their folder alone
    return std::make_unique<file_profile>(file_profile::default_path(application));
#endif
}

} // namespace platform
