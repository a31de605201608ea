// Load and save times of menu files of 1,000 to 100,000 items, next to the
// time our cipher and OpenSSL's DES (ECB, the mode the files use) take to
// decipher as many bytes as the file holds. OpenSSL is only the yardstick
// here; the program itself never links it.
//
//   menufile_bench [folder]     (the files go to the folder, default /tmp)
//
// Besides the table, prints BENCH| lines (median and worst over the runs)
// for the performance report.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/des.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "accounts/accountfile.h"
#include "accounts/descipher.h"
#include "menudoc/menudocument.h"

namespace {

typedef std::chrono::steady_clock Clock;

const int kRuns = 7;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Work>
double Time(Work work)
{
    const Clock::time_point start = Clock::now();
    work();
    return Seconds(start);
}

// Median and worst (largest) of a series.
struct Figure {
    double median;
    double worst;
};

Figure Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.back()};
}

void PrintBench(const std::string& figure, Figure f, const char* unit, const char* goal)
{
    std::printf("BENCH|Menu files|%s|%.3g|%.3g|%s|%s\n", figure.c_str(), f.median, f.worst, unit, goal);
}

// "100000" -> "100,000"
std::string Grouped(int n)
{
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

// A tree of `count` items like a large real menu: ten items a level,
// submenus down to four levels, every item with a caption and keystrokes,
// some of them enciphered, some with a target and an icon.
void BuildTree(CMenuDocument& doc, int count)
{
    doc.rootMenu = doc.newMenu(nullptr);
    doc.rootMenu->isRoot = 1;
    std::vector<CMenuList*> level{doc.rootMenu};
    int made = 0;
    while (made < count) {
        std::vector<CMenuList*> next;
        for (CMenuList* list : level) {
            for (int i = 0; i < 10 && made < count; ++i, ++made) {
                CMenuItem* item = list->appendNew(0);
                item->caption = "Item " + std::to_string(made);
                item->keystrokes = "Kind regards,\r\nThe support team #" + std::to_string(made);
                item->keysEnciphered = made % 4 == 0;
                if (made % 3 == 0) item->target = "C:\\Program Files\\Tools\\tool" + std::to_string(made) + ".exe";
                if (made % 5 == 0) item->iconFile = "icons\\item.ico";
                item->shellCommand = kShellChosenEmpty;
                if (made % 10 < 3) {
                    item->hasSubmenu = 1;
                    item->submenu = doc.newMenu(item);
                    next.push_back(item->submenu);
                }
            }
            if (made >= count) break;
        }
        if (next.empty()) break;
        level.swap(next);
    }
}

bool ReadFile(const std::string& path, std::string& content)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    content.clear();
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

unsigned char ReverseBits(unsigned char b)
{
    unsigned char r = 0;
    for (int i = 0; i < 8; ++i) {
        if (b & (1 << i)) r |= static_cast<unsigned char>(0x80 >> i);
    }
    return r;
}

// OpenSSL's DES over the buffer in ECB, under the standard form of our key
// (each byte's bits reversed), the schedule set up once as a caller would.
void OpenSslDecipher(const unsigned char* key, unsigned char* data, std::size_t blocks)
{
    DES_cblock standardKey;
    for (int i = 0; i < 8; ++i) standardKey[i] = ReverseBits(key[i]);
    DES_key_schedule schedule;
    DES_set_key_unchecked(&standardKey, &schedule);
    for (std::size_t b = 0; b < blocks; ++b) {
        DES_cblock* block = reinterpret_cast<DES_cblock*>(data + 8 * b);
        DES_ecb_encrypt(block, block, &schedule, DES_DECRYPT);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const ItemKey key("bench");
    std::printf("Median of %d runs (worst in brackets for the ratios); all times in ms.\n", kRuns);
    std::printf("%8s %10s %9s %9s %9s %9s %9s %9s %15s %15s\n", "items", "file bytes", "cipher", "OpenSSL", "load",
                "save", "parse", "body", "load/OpenSSL", "cipher/OpenSSL");
    int status = 0;
    for (int count : {1000, 10000, 100000}) {
        const std::string path = folder + "/menufile_bench_" + std::to_string(count) + ".vn";
        CMenuDocument doc;
        BuildTree(doc, count);
        {
            CAccountFile file;
            if (!file.create(path, "Main")) {
                std::fprintf(stderr, "cannot create %s\n", path.c_str());
                return 1;
            }
        }
        if (!doc.save(path, "Main", "admin", "", key)) {
            std::fprintf(stderr, "cannot save %s\n", path.c_str());
            return 1;
        }
        doc.close();

        std::string content;
        if (!ReadFile(path, content)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        const std::size_t bytes = content.size();
        const std::size_t blocks = bytes / 8;
        std::string ours(content, 0, blocks * 8);
        std::string theirs(ours);

        // The runs interleave the measurements, so that a busy moment of the
        // shared machine weighs on all of them alike, and the ratios are
        // taken run by run.
        std::vector<double> cipherTimes, opensslTimes, loadTimes, saveTimes, loadRatios, cipherRatios;
        for (int run = 0; run < kRuns; ++run) {
            const double cipherTime = Time([&] {
                CDesCipher cipher;
                cipher.decipherBlocks(kProgramKey, reinterpret_cast<unsigned char*>(&ours[0]),
                                      static_cast<int>(blocks));
            });
            const double opensslTime =
                Time([&] { OpenSslDecipher(kProgramKey, reinterpret_cast<unsigned char*>(&theirs[0]), blocks); });
            if (ours != theirs) {
                std::fprintf(stderr, "our cipher and OpenSSL's disagree over %s\n", path.c_str());
                status = 1;
            }
            // Loading only: taking the tree down again is not part of it.
            CMenuDocument reader;
            const double loadTime = Time([&] {
                if (!reader.load(path, "Main", "admin", "", key)) status = 1;
            });
            reader.close();
            const double saveTime = Time([&] {
                if (!doc.save(path, "Main", "admin", "", key)) status = 1;
                doc.close();
            });
            cipherTimes.push_back(cipherTime * 1e3);
            opensslTimes.push_back(opensslTime * 1e3);
            loadTimes.push_back(loadTime * 1e3);
            saveTimes.push_back(saveTime * 1e3);
            loadRatios.push_back(loadTime / opensslTime);
            cipherRatios.push_back(cipherTime / opensslTime);
        }

        // The menu tree's own share: reading and writing the body alone.
        const std::string body = doc.rootMenu->toBody(key);
        std::vector<double> parseTimes, bodyTimes;
        for (int run = 0; run < kRuns; ++run) {
            parseTimes.push_back(1e3 * Time([&] {
                CMenuDocument reader;
                if (!reader.parse(body, key)) status = 1;
            }));
            bodyTimes.push_back(1e3 * Time([&] { doc.rootMenu->toBody(key); }));
        }

        const Figure cipherF = Summarise(cipherTimes), opensslF = Summarise(opensslTimes),
                     loadF = Summarise(loadTimes), saveF = Summarise(saveTimes),
                     loadRatioF = Summarise(loadRatios), cipherRatioF = Summarise(cipherRatios);
        char loadRatio[32], cipherRatio[32];
        std::snprintf(loadRatio, sizeof loadRatio, "%.2f (%.2f)", loadRatioF.median, loadRatioF.worst);
        std::snprintf(cipherRatio, sizeof cipherRatio, "%.2f (%.2f)", cipherRatioF.median, cipherRatioF.worst);
        std::printf("%8d %10zu %9.2f %9.2f %9.2f %9.2f %9.2f %9.2f %15s %15s\n", count, bytes, cipherF.median,
                    opensslF.median, loadF.median, saveF.median, Summarise(parseTimes).median,
                    Summarise(bodyTimes).median, loadRatio, cipherRatio);

        const std::string items = Grouped(count) + " items";
        PrintBench("load " + items, loadF, "ms", "-");
        PrintBench("save " + items, saveF, "ms", "-");
        PrintBench("cipher alone over a file of " + items, cipherF, "ms", "-");
        PrintBench("OpenSSL DES over a file of " + items, opensslF, "ms", "-");
        PrintBench("load " + items + " / OpenSSL DES over the same bytes", loadRatioF, "x",
                   count == 100000 ? "<= 1.5 x" : "-");
        PrintBench("cipher alone " + items + " / OpenSSL DES over the same bytes", cipherRatioF, "x", "-");
        std::fflush(stdout);
        doc.deleteMenu(doc.rootMenu);
        std::remove(path.c_str());
    }
    if (status != 0) std::fprintf(stderr, "a load or save failed\n");
    return status;
}
