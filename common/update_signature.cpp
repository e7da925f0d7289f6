#include "common/update_signature.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace kelvora::update
{

std::filesystem::path updateKeyring()
{
    return KELVORA_UPDATE_KEYRING;
}

const std::vector<std::string>& updateKeyFingerprints()
{
    static const std::vector<std::string> fingerprints = [] {
        std::vector<std::string> list;
        std::istringstream in(KELVORA_UPDATE_KEY_FINGERPRINTS);
        for (std::string item; std::getline(in, item, ';');)
            if (!item.empty())
                list.push_back(item);
        return list;
    }();
    return fingerprints;
}

std::vector<std::string> gpgvArguments(const std::filesystem::path& homedir,
                                       const std::filesystem::path& keyring,
                                       const std::filesystem::path& signature,
                                       const std::filesystem::path& file)
{
    return {"--homedir", homedir.string(),   "--status-fd", "1", "--keyring", keyring.string(),
            "--",        signature.string(), file.string()};
}

namespace
{

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

bool signatureAccepted(int gpgvExitCode, std::string_view status,
                       const std::vector<std::string>& fingerprints)
{
    if (gpgvExitCode != 0)
        return false;
    bool valid = false;
    std::istringstream in{std::string(status)};
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string prefix, keyword;
        words >> prefix >> keyword;
        if (prefix != "[GNUPG:]")
            continue;
        if (keyword == "BADSIG" || keyword == "ERRSIG" || keyword == "EXPSIG" ||
            keyword == "EXPKEYSIG" || keyword == "REVKEYSIG" || keyword == "NODATA")
            return false;
        if (keyword != "VALIDSIG")
            continue;
        // VALIDSIG <signing key> <date> <time> <expiry> <version> <reserved> <pk algo>
        // <hash algo> <class> <primary key>
        std::vector<std::string> fields;
        for (std::string field; words >> field;)
            fields.push_back(upper(field));
        if (fields.empty())
            continue;
        for (const std::string& known : fingerprints) {
            const std::string wanted = upper(known);
            if (fields.front() == wanted || (fields.size() >= 10 && fields[9] == wanted))
                valid = true;
        }
    }
    return valid;
}

} // namespace kelvora::update
