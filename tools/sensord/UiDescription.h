#ifndef SENSORD_UIDESCRIPTION_H
#define SENSORD_UIDESCRIPTION_H

#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>

// The module's own UI description as the settings page takes it: the tabs
// of its merged style with their parameter ids, the common and language
// texts of one language, and the languages there are. Read from the board's
// files once per language (they do not change while the service runs).
class UiDescription {
public:
    // p_strProduct: the product of the board's module list whose UI it is.
    explicit UiDescription(std::string p_strProduct);

    // {"product", "language", "languages": [{"id", "name"}], "tabs": [{"id",
    // "name", "label", "parameters": [ids]}], "texts": {id: text}}; false
    // with p_strError when the description cannot be read.
    bool describe(int p_nLanguage, nlohmann::json& p_description, std::string& p_strError);

private:
    std::string m_strProduct;
    std::mutex m_mutex;
    std::map<int, nlohmann::json> m_described;
};

#endif
