#include "private_sane.h"

#include <dlfcn.h>

#include <cstdlib>
#include <fstream>

TPrivateSane& TPrivateSane::ForThisProcess(double widthMm, double heightMm) {
    static TPrivateSane sane(widthMm, heightMm);
    return sane;
}

TPrivateSane::TPrivateSane(double widthMm, double heightMm) {
    std::ofstream(Dir.Path() / "dll.conf") << "test\n";
    double longest = widthMm > heightMm ? widthMm : heightMm;
    std::ofstream(Dir.Path() / "test.conf") << "number_of_devices 1\n"
                                               "mode Gray\n"
                                               "depth 8\n"
                                               "test-picture \"Color pattern\"\n"
                                               "geometry_min 0.0\n"
                                               "geometry_max " << longest << "\n"
                                               "tl_x 0.0\ntl_y 0.0\n"
                                               "br_x " << widthMm << "\n"
                                               "br_y " << heightMm << "\n";
    if (const char* previous = std::getenv("SANE_CONFIG_DIR")) {
        Previous = previous;
        HadPrevious = true;
    }
    setenv("SANE_CONFIG_DIR", ConfigDir().c_str(), 1);
    dlopen("libsane.so.1", RTLD_NOW | RTLD_NODELETE);
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/sane", "/usr/lib/aarch64-linux-gnu/sane", "/usr/lib/sane"})
        if (dlopen((std::string(folder) + "/libsane-test.so.1").c_str(), RTLD_NOW | RTLD_NODELETE)) break;
}

TPrivateSane::~TPrivateSane() {
    if (HadPrevious)
        setenv("SANE_CONFIG_DIR", Previous.c_str(), 1);
    else
        unsetenv("SANE_CONFIG_DIR");
}
