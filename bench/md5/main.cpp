// Hashes the same buffer with base/Md5 and with OpenSSL's MD5, alternating, and prints the best
// and median throughput of each in thread CPU time (wall time on a shared machine measures the
// neighbours more than the code).
#include "base/Md5.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

constexpr std::size_t kStep = 256 * 1024;  // what the installed-file check reads at a time

std::string Own(const std::vector<unsigned char>& data) {
    Md5Context context;
    for (std::size_t at = 0; at < data.size(); at += kStep)
        Md5Update(context, data.data() + at, std::min(kStep, data.size() - at));
    std::uint8_t digest[16];
    Md5Final(context, digest);
    return ToHexUpper(std::string(reinterpret_cast<char*>(digest), 16));
}

std::string OpenSsl(const std::vector<unsigned char>& data) {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    EVP_DigestInit_ex(context, EVP_md5(), nullptr);
    for (std::size_t at = 0; at < data.size(); at += kStep)
        EVP_DigestUpdate(context, data.data() + at, std::min(kStep, data.size() - at));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(context, digest, &size);
    EVP_MD_CTX_free(context);
    return ToHexUpper(std::string(reinterpret_cast<char*>(digest), size));
}

void Print(const char* name, std::vector<double> rates) {
    std::sort(rates.begin(), rates.end());
    std::printf("%-8s best %4.0f MiB/s  median %4.0f MiB/s\n", name, rates.back(), rates[rates.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
    if (mib == 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_md5 [MiB] [rounds]\n");
        return 64;
    }
    std::vector<unsigned char> data(mib << 20);
    std::uint32_t seed = 12345;
    for (unsigned char& byte : data) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<unsigned char>(seed >> 24);
    }
    std::vector<double> own, openssl;
    for (int round = 0; round < rounds; ++round) {
        double start = ThreadSeconds();
        std::string a = Own(data);
        double middle = ThreadSeconds();
        std::string b = OpenSsl(data);
        double end = ThreadSeconds();
        if (a != b) {
            std::fprintf(stderr, "digests differ: %s %s\n", a.c_str(), b.c_str());
            return 1;
        }
        own.push_back(static_cast<double>(mib) / (middle - start));
        openssl.push_back(static_cast<double>(mib) / (end - middle));
    }
    Print("own", own);
    Print("OpenSSL", openssl);
}
