// Load and save times of menu files of 1,000 to 100,000 items, next to the
// time the cipher alone takes to decipher as many bytes as the file holds.
//
//   menufile_bench [folder]     (the files go to the folder, default /tmp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "accounts/accountfile.h"
#include "accounts/descipher.h"
#include "menudoc/menudocument.h"

namespace {

typedef std::chrono::steady_clock Clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The best of several runs: the machine is shared, and the best is what the
// code costs.
template <typename Work>
double Best(int runs, Work work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        work();
        best = std::min(best, Seconds(start));
    }
    return best;
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

long FileSize(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return -1;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return size;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const ItemKey key("bench");
    std::printf("%8s %10s %10s %10s %10s %10s %10s %8s %8s\n", "items", "file bytes", "cipher ms", "load ms",
                "save ms", "parse ms", "body ms", "load/c", "save/c");
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

        const long bytes = FileSize(path);
        const int runs = count >= 100000 ? 3 : 7;
        std::string buffer(static_cast<std::size_t>(bytes / 8 * 8), '\x5A');
        CDesCipher cipher;
        const double cipherTime = Best(runs, [&] {
            cipher.decipherBlocks(kProgramKey, reinterpret_cast<unsigned char*>(&buffer[0]),
                                  static_cast<int>(buffer.size() / 8));
        });

        const double loadTime = Best(runs, [&] {
            CMenuDocument reader;
            if (!reader.load(path, "Main", "admin", "", key)) status = 1;
            reader.close();
        });
        const double saveTime = Best(runs, [&] {
            if (!doc.save(path, "Main", "admin", "", key)) status = 1;
            doc.close();
        });

        // The menu tree's own share: reading and writing the body alone.
        const std::string body = doc.rootMenu->toBody(key);
        const double parseTime = Best(runs, [&] {
            CMenuDocument reader;
            if (!reader.parse(body, key)) status = 1;
        });
        const double bodyTime = Best(runs, [&] { doc.rootMenu->toBody(key); });

        std::printf("%8d %10ld %10.2f %10.2f %10.2f %10.2f %10.2f %8.2f %8.2f\n", count, bytes, cipherTime * 1e3,
                    loadTime * 1e3, saveTime * 1e3, parseTime * 1e3, bodyTime * 1e3, loadTime / cipherTime,
                    saveTime / cipherTime);
        std::fflush(stdout);
        doc.deleteMenu(doc.rootMenu);
        std::remove(path.c_str());
    }
    if (status != 0) std::fprintf(stderr, "a load or save failed\n");
    return status;
}
