// Reading and writing a project file with many start URLs and one long URL.
// Usage: bench_project_io [urls]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "site/Project.h"

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    fs::path dir = fs::temp_directory_path();
    std::string settings = (dir / "zb-bench-project.ini").string();
    std::string file = (dir / "zb-bench-project.zbp").string();
    std::ofstream(settings, std::ios::binary) << "";
    fs::remove(file);
    ApplicationProfile defaults(settings.c_str());

    Project p(defaults);
    for (int i = 0; i < n; ++i) p.urls.add(("http://host/" + std::to_string(i)).c_str());
    p.urls.add(("http://host/" + std::string(1 << 20, 'a')).c_str());
    auto t = std::chrono::steady_clock::now();
    if (p.save(file.c_str()) != 0) return 1;
    double write = Seconds(t);

    Project r(defaults);
    t = std::chrono::steady_clock::now();
    if (r.open(file.c_str()) != 0) return 1;
    double read = Seconds(t);
    std::printf("urls %d + one of 1 MB: file %lld bytes, write %.3f s, read %.3f s\n", n,
                static_cast<long long>(fs::file_size(file)), write, read);
    fs::remove(file);
    fs::remove(settings);
    return r.urls.count() == p.urls.count() ? 0 : 1;
}
