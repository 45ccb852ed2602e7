#pragma once

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zel::test {

// Files this process writes stop growing at `bytes` for the scope, as on a full disk. SIGXFSZ is
// ignored meanwhile, so the write past the cap fails with EFBIG instead of ending the process; the
// cap binds root too.
class FileSizeCap {
  public:
    explicit FileSizeCap(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit capped{std::min(bytes, old_.rlim_max), old_.rlim_max};
        if (::setrlimit(RLIMIT_FSIZE, &capped) != 0) ADD_FAILURE() << "the file size cannot be capped";
    }
    ~FileSizeCap() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

  private:
    rlimit old_{};
    void (*handler_)(int) = nullptr;
};

// A folder's permissions bind this thread for the scope even when it runs as root, which passes
// them by its capabilities to override file access; those are set aside here and taken back after.
// For anyone else it changes nothing.
class PermissionsBindRoot {
  public:
    PermissionsBindRoot() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~PermissionsBindRoot() {
        if (lowered_) ::syscall(SYS_capset, &header_, saved_);
    }
    PermissionsBindRoot(const PermissionsBindRoot&) = delete;
    PermissionsBindRoot& operator=(const PermissionsBindRoot&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool lowered_ = false;
};

} // namespace zel::test
