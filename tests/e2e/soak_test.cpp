// A long run of random changes on one volume through the command language:
// folders made, files copied in (MacBinary, so that the test chooses both
// forks, type, creator and dates), entries renamed and deleted, attributes
// edited, forks swapped. The test keeps its own model of the volume. Every
// 100 operations CHECK must find nothing and hfsutils must read the volume;
// at the end hfsutils copies every file out and each one matches the model.
// KORVANE_SOAK_OPERATIONS sets the length of the run (2000 by default).
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/context.h"
#include "tests/e2e/image_reading.h"
#include "tests/hfs/check_fixture.h"
#include "tests/support/scripted_host.h"
#include "tests/support/single_drive.h"
#include "tests/transfer/copy_oracle.h"
#include "volume/discovery.h"

namespace korvane::e2e {
namespace {

struct ModelFile {
    std::string data, resource, type, creator;
    std::uint32_t created = 0, modified = 0;
};

// Folders by path (":a:b"; "" for the root): the files and subfolders in each.
struct ModelFolder {
    std::map<std::string, ModelFile> files;
    std::set<std::string> folders;
};

// Seconds since 1904-01-01 00:00 of a calendar time, computed apart from
// Korvane's own date conversion.
std::uint32_t mac_seconds(int year, unsigned month, unsigned day, int hour, int minute) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
    const sys_days epoch{std::chrono::year{1904} / January / 1};
    return static_cast<std::uint32_t>((date - epoch).count() * 86400 + hour * 3600 + minute * 60);
}

class Soak {
public:
    Soak(const ScratchDir& dir, const std::string& image) : dir_(dir), image_(image), random_(20261207) {
        testing::select_single_image(ctx_, image);
        EXPECT_GT(analyze_volume(ctx_), 0);
        connect_command_handlers(handlers_);
        model_[""];
        std::filesystem::create_directory(dir / "pc");
    }

    // One operation in a folder chosen at random; a full folder or volume
    // gives up an entry instead of taking one more.
    void step() {
        const int pick = below(100);
        const std::string path = random_element(model_)->first;
        ModelFolder& folder = model_[path];
        enter(path);
        if (pick < 30) return folder.files.size() > 40 ? delete_entry(path, folder) : copy_in(folder);
        if (pick < 45) return model_.size() > 60 ? delete_entry(path, folder) : make_folder(path, folder);
        if (pick < 60) return rename_entry(path, folder);
        if (pick < 75) return delete_entry(path, folder);
        if (pick < 90) return edit_attributes(folder);
        swap_forks(folder);
    }

    // CHECK from a fresh reading of the medium, and hfsutils reading it.
    void check_medium(int done) {
        EXPECT_EQ(testing::check_problems(image_), "") << "after " << done << " operations";
        EXPECT_NE(hfsutils_listing(dir_, image_), "") << "after " << done << " operations";
    }

    std::string summary() const {
        std::size_t files = 0;
        for (const auto& [path, folder] : model_) files += folder.files.size();
        return std::to_string(model_.size() - 1) + " folders and " + std::to_string(files) + " files at the end";
    }

    // Every folder and file of the model through hfsutils, and nothing more.
    void compare_with_model() {
        const std::string copy = dir_ / "compared.img";
        copy_image(image_, copy);
        ASSERT_EQ(run_program(dir_.path(), {"hmount", copy}), 0);
        std::size_t entries = 0;
        for (const auto& [path, folder] : model_) {
            entries += folder.files.size() + folder.folders.size();
            for (const auto& [name, file] : folder.files) compare_file(path + ":" + name, file);
        }
        std::string listed;
        ASSERT_EQ(run_program(dir_.path(), {"hls", "-1aR", ":"}, &listed), 0);
        std::size_t names = 0;
        for (const std::string& line : split_lines(listed))
            if (!line.empty() && line.front() != ':') ++names;
        EXPECT_EQ(names, entries);
    }

private:
    void compare_file(const std::string& path, const ModelFile& file) {
        const std::string out = dir_ / "out.bin";
        ASSERT_EQ(run_program(dir_.path(), {"hcopy", "-m", path, out}), 0) << path;
        MacFile copied;
        copied.macbinary = file_bytes(out);
        ASSERT_GE(copied.macbinary.size(), 128u) << path;
        EXPECT_EQ(copied.type_creator(), file.type + file.creator) << path;
        EXPECT_EQ(copied.field32(91), file.created) << path;
        EXPECT_EQ(copied.field32(95), file.modified) << path;
        EXPECT_TRUE(copied.data_fork() == file.data) << path;
        EXPECT_TRUE(copied.resource() == file.resource) << path;
    }

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    std::string text(int shortest, int longest, const char* alphabet) {
        std::string s(static_cast<std::size_t>(shortest + below(longest - shortest + 1)), ' ');
        for (char& c : s) c = alphabet[below(static_cast<int>(std::strlen(alphabet)))];
        return s;
    }

    std::string bytes(int longest) {
        std::string s(static_cast<std::size_t>(below(longest + 1)), '\0');
        for (char& c : s) c = static_cast<char>(below(256));
        return s;
    }

    // A name that no entry of the folder has (names are lower case, so
    // that equal means equal to HFS too).
    std::string fresh_name(const ModelFolder& folder) {
        for (;;) {
            std::string name = text(1, 31, "abcdefghijklmnopqrstuvwxyz0123456789 .-");
            if (name.front() == ' ' || name.back() == ' ') continue;
            if (!folder.files.contains(name) && !folder.folders.contains(name)) return name;
        }
    }

    // An element of a non-empty map or set, each as likely as the others.
    template <typename Container>
    auto random_element(Container& container) -> decltype(container.begin()) {
        return std::next(container.begin(), below(static_cast<int>(container.size())));
    }

    // Runs one line; it must succeed without a word, unless mayRefuse.
    bool run(const std::string& line, bool mayRefuse = false) {
        ctx_.outcome = {};
        host_.notices.clear();
        EXPECT_EQ(run_command_line(ctx_, handlers_, line), LineOutcome::Executed) << line;
        host_.answers.clear();
        const bool refused = ctx_.outcome.failureReported || !host_.notices.empty();
        EXPECT_TRUE(mayRefuse || !refused) << line << ": " << (host_.notices.empty() ? "" : host_.notices[0]);
        return !refused;
    }

    void enter(const std::string& path) {
        run("CD \\");
        for (std::size_t at = 1; at <= path.size();) {
            const std::size_t next = std::min(path.find(':', at), path.size());
            run("CD \"" + path.substr(at, next - at) + "\"");
            at = next + 1;
        }
    }

    void copy_in(ModelFolder& folder) {
        ModelFile file{bytes(4000),
                       below(3) == 0 ? std::string() : bytes(2000),
                       text(4, 4, "ABCDEFGH?"),
                       text(4, 4, "abcdefgh*"),
                       static_cast<std::uint32_t>(random_()),
                       static_cast<std::uint32_t>(random_())};
        const std::string name = fresh_name(folder);
        std::ofstream(dir_ / "pc/in.bin", std::ios::binary) << testing::mac_binary_file(
                name, file.type, file.creator, file.data, file.resource, file.created, file.modified);
        const std::string back = std::filesystem::current_path();
        std::filesystem::current_path(dir_ / "pc");
        if (run("MCOPY in.bin /B")) folder.files[name] = file;
        std::filesystem::current_path(back);
    }

    void make_folder(const std::string& path, ModelFolder& folder) {
        const std::string name = fresh_name(folder);
        if (!run("MD \"" + name + "\"")) return;
        folder.folders.insert(name);
        model_[path + ":" + name];
    }

    // The model's folders at or below path, with the folder first.
    std::vector<std::string> subtree(const std::string& path) const {
        std::vector<std::string> paths;
        for (const auto& [each, folder] : model_)
            if (each == path || each.starts_with(path + ":")) paths.push_back(each);
        return paths;
    }

    void rename_entry(const std::string& path, ModelFolder& folder) {
        const bool renameFolder = !folder.folders.empty() && (folder.files.empty() || below(2) == 0);
        if (!renameFolder && folder.files.empty()) return;
        const std::string newName = fresh_name(folder);
        if (renameFolder) {
            const std::string oldName = *random_element(folder.folders);
            if (!run("RENAME \"" + oldName + "\" \"" + newName + "\"")) return;
            folder.folders.erase(oldName);
            folder.folders.insert(newName);
            const std::string from = path + ":" + oldName, to = path + ":" + newName;
            for (const std::string& moved : subtree(from)) {
                auto node = model_.extract(moved);
                node.key() = to + moved.substr(from.size());
                model_.insert(std::move(node));
            }
            return;
        }
        const auto old = random_element(folder.files);
        if (!run("RENAME \"" + old->first + "\" \"" + newName + "\"")) return;
        folder.files[newName] = old->second;
        folder.files.erase(old);
    }

    void delete_entry(const std::string& path, ModelFolder& folder) {
        const bool deleteFolder = !folder.folders.empty() && (folder.files.empty() || below(4) == 0);
        if (!deleteFolder && folder.files.empty()) return;
        if (deleteFolder) {
            const std::string name = *folder.folders.begin();
            host_.answers.assign(64, true);  // "not empty: delete it all?"
            if (!run("DELETE \"" + name + "\"")) return;
            folder.folders.erase(name);
            for (const std::string& gone : subtree(path + ":" + name)) model_.erase(gone);
            return;
        }
        const auto victim = random_element(folder.files);
        if (run("DELETE \"" + victim->first + "\"")) folder.files.erase(victim);
    }

    void edit_attributes(ModelFolder& folder) {
        if (folder.files.empty()) return;
        const auto file = random_element(folder.files);
        const std::string type = text(4, 4, "ABCDEFGH"), creator = text(4, 4, "abcdefgh");
        // The dialog takes the years 1980 to 2039.
        const int year = 1980 + below(60), month = 1 + below(12), day = 1 + below(28), hour = below(24),
                  minute = below(60);
        char date[64];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
        const std::string field = below(2) == 0 ? "created" : "modified";
        if (!run("ATTRIB \"" + file->first + "\" \"type=" + type + ",creator=" + creator + "," + field + "=" + date +
                 "\""))
            return;
        file->second.type = type;
        file->second.creator = creator;
        (field == "created" ? file->second.created : file->second.modified) =
                mac_seconds(year, static_cast<unsigned>(month), static_cast<unsigned>(day), hour, minute);
    }

    // A fork continued in the extents-overflow tree is refused, and said.
    void swap_forks(ModelFolder& folder) {
        if (folder.files.empty()) return;
        const auto file = random_element(folder.files);
        if (run("SWAP \"" + file->first + "\"", true)) std::swap(file->second.data, file->second.resource);
    }

    const ScratchDir& dir_;
    std::string image_;
    testing::ScriptedHost host_;
    Context ctx_{host_};
    CommandHandlers handlers_;
    std::mt19937 random_;
    std::map<std::string, ModelFolder> model_;
};

int soak_operations() {
    const char* count = std::getenv("KORVANE_SOAK_OPERATIONS");
    return count != nullptr && std::atoi(count) > 0 ? std::atoi(count) : 2000;
}

TEST(Soak, RandomChangesKeepTheVolumeSoundAndEqualToTheModel) {
    ScratchDir dir;
    HfsutilsVolume volume(dir, "soak.img", 8192, "Soak");
    volume.unmount();
    Soak soak(dir, volume.image());
    const int operations = soak_operations();
    for (int done = 1; done <= operations && !HasFailure(); ++done) {
        soak.step();
        if (done % 100 == 0) soak.check_medium(done);
    }
    soak.check_medium(operations);
    soak.compare_with_model();
    std::printf("%d operations done, %s\n", operations, soak.summary().c_str());
}

}  // namespace
}  // namespace korvane::e2e
