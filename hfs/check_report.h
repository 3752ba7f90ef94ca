#pragma once
// The list of problems that a consistency check of the volume finds, in
// plain words (Windows character set, like every text Korvane shows). A
// ruined volume could yield a problem per block or per record: the list is
// capped so that a report stays readable and the check stays quick.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class CheckReport {
public:
    static constexpr std::size_t kMaxListed = 200;

    void add(std::string problem) {
        if (problems_.size() < kMaxListed) {
            problems_.push_back(std::move(problem));
        } else {
            ++unlisted_;
        }
    }

    const std::vector<std::string>& problems() const { return problems_; }
    // Problems found beyond the first kMaxListed.
    std::size_t unlisted() const { return unlisted_; }
    std::size_t count() const { return problems_.size() + unlisted_; }
    bool empty() const { return count() == 0; }

private:
    std::vector<std::string> problems_;
    std::size_t unlisted_ = 0;
};

// A Macintosh name as a report shows it: in quotes, in the Windows character
// set, with "?" for a character that has no equivalent there.
std::string quoted_name(std::string_view mac_name);

// text with its first letter in upper case, to open a sentence.
std::string capitalised(std::string text);

}  // namespace korvane
