#include "bench/Registry.h"

#include "bench/Wait.h"

namespace bench {

namespace {

// An open key, closed when the owner goes.
class Key {
public:
    Key() = default;
    ~Key()
    {
        if (h_)
            RegCloseKey(h_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    LONG Open(HKEY root, const std::string& sub, REGSAM access)
    {
        return RegOpenKeyExA(root, sub.c_str(), 0, access, &h_);
    }
    LONG Create(HKEY root, const std::string& sub, REGSAM access)
    {
        return RegCreateKeyExA(root, sub.c_str(), 0, nullptr, 0, access, nullptr, &h_, nullptr);
    }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

void Check(LONG rc, const std::string& what)
{
    if (rc != ERROR_SUCCESS)
        throw Error(what + ": " + ErrorText(static_cast<DWORD>(rc)));
}

std::string Where(const std::string& subkey, const std::string& name)
{
    return "\"" + subkey + "\" value \"" + name + "\"";
}

bool ReadRaw(HKEY root, const std::string& subkey, const std::string& name, DWORD* type, std::vector<BYTE>* data)
{
    Key k;
    if (k.Open(root, subkey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data->assign(size + 2, 0);
    if (RegQueryValueExA(k.get(), name.c_str(), nullptr, type, data->data(), &size) != ERROR_SUCCESS)
        return false;
    data->resize(size);
    return true;
}

void WriteRaw(HKEY root, const std::string& subkey, const std::string& name, DWORD type, const std::vector<BYTE>& data)
{
    Key k;
    Check(k.Create(root, subkey, KEY_SET_VALUE), "creating key \"" + subkey + "\"");
    Check(RegSetValueExA(k.get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())),
          "setting " + Where(subkey, name));
}

}  // namespace

bool RegKeyExists(HKEY root, const std::string& subkey)
{
    Key k;
    return k.Open(root, subkey, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

bool RegValueExists(HKEY root, const std::string& subkey, const std::string& name)
{
    Key k;
    return k.Open(root, subkey, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
           RegQueryValueExA(k.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<std::string> RegReadString(HKEY root, const std::string& subkey, const std::string& name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(root, subkey, name, &type, &data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::string s(data.begin(), data.end());
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

std::optional<DWORD> RegReadDword(HKEY root, const std::string& subkey, const std::string& name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(root, subkey, name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return std::nullopt;
    return static_cast<DWORD>(data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24));
}

std::optional<std::vector<std::string>> RegReadMultiString(HKEY root, const std::string& subkey,
                                                           const std::string& name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!ReadRaw(root, subkey, name, &type, &data) || type != REG_MULTI_SZ)
        return std::nullopt;
    // Each string is closed by a zero, and one more zero closes the list.
    // Empty strings inside the list are kept (a list of path pairs uses
    // them for "no new name"), so the data is split on every zero after the
    // closing one is taken off.
    std::vector<std::string> out;
    if (data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0)
        data.pop_back();
    std::string cur;
    for (BYTE b : data) {
        if (b == 0) {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(b);
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    if (out.size() == 1 && out[0].empty())
        out.clear();  // an empty list
    return out;
}

std::vector<std::string> RegSubkeys(HKEY root, const std::string& subkey)
{
    std::vector<std::string> out;
    Key k;
    if (k.Open(root, subkey, KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS)
        return out;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out.emplace_back(name, len);
    }
    return out;
}

std::vector<std::string> RegValueNames(HKEY root, const std::string& subkey)
{
    std::vector<std::string> out;
    Key k;
    if (k.Open(root, subkey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return out;
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumValueA(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out.emplace_back(name, len);
    }
    return out;
}

void RegSetString(HKEY root, const std::string& subkey, const std::string& name, const std::string& value)
{
    std::vector<BYTE> data(value.begin(), value.end());
    data.push_back(0);
    WriteRaw(root, subkey, name, REG_SZ, data);
}

void RegSetDword(HKEY root, const std::string& subkey, const std::string& name, DWORD value)
{
    std::vector<BYTE> data(4);
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<BYTE>(value >> (8 * i));
    WriteRaw(root, subkey, name, REG_DWORD, data);
}

void RegCreateKey(HKEY root, const std::string& subkey)
{
    Key k;
    Check(k.Create(root, subkey, KEY_QUERY_VALUE), "creating key \"" + subkey + "\"");
}

void RegDeleteValue(HKEY root, const std::string& subkey, const std::string& name)
{
    Key k;
    LONG rc = k.Open(root, subkey, KEY_SET_VALUE);
    if (rc == ERROR_FILE_NOT_FOUND)
        return;
    Check(rc, "opening key \"" + subkey + "\"");
    rc = RegDeleteValueA(k.get(), name.c_str());
    if (rc != ERROR_FILE_NOT_FOUND)
        Check(rc, "deleting " + Where(subkey, name));
}

void RegDeleteTree(HKEY root, const std::string& subkey)
{
    if (subkey.empty())
        throw Error("refusing to delete a whole registry root");
    LONG rc = RegDeleteTreeA(root, subkey.c_str());
    if (rc == ERROR_FILE_NOT_FOUND)
        return;
    Check(rc, "deleting key tree \"" + subkey + "\"");
    rc = RegDeleteKeyA(root, subkey.c_str());
    if (rc != ERROR_FILE_NOT_FOUND)
        Check(rc, "deleting key \"" + subkey + "\"");
}

// --- ScopedRegValue ----------------------------------------------------------

ScopedRegValue::ScopedRegValue(HKEY root, std::string subkey, std::string name,
                               const std::optional<std::string>& value)
    : root_(root), subkey_(std::move(subkey)), name_(std::move(name))
{
    existed_ = ReadRaw(root_, subkey_, name_, &type_, &data_);
    if (!value) {
        RegDeleteValue(root_, subkey_, name_);
        return;
    }
    // Remember the outermost key that does not exist yet.
    if (!RegKeyExists(root_, subkey_)) {
        std::string path;
        size_t pos = 0;
        for (;;) {
            size_t next = subkey_.find('\\', pos);
            path = subkey_.substr(0, next);
            if (!RegKeyExists(root_, path)) {
                firstCreated_ = path;
                break;
            }
            if (next == std::string::npos)
                break;
            pos = next + 1;
        }
    }
    RegSetString(root_, subkey_, name_, *value);
}

ScopedRegValue::~ScopedRegValue()
{
    try {
        if (existed_) {
            WriteRaw(root_, subkey_, name_, type_, data_);
        } else {
            RegDeleteValue(root_, subkey_, name_);
            // Remove the keys made for the value, innermost first, while
            // they are empty.
            if (!firstCreated_.empty()) {
                std::string path = subkey_;
                for (;;) {
                    if (!RegSubkeys(root_, path).empty() || !RegValueNames(root_, path).empty())
                        break;
                    RegDeleteKeyA(root_, path.c_str());
                    if (path.size() <= firstCreated_.size())
                        break;
                    path = path.substr(0, path.find_last_of('\\'));
                }
            }
        }
    } catch (const std::exception&) {
        // A destructor must not throw; the next test will see the value.
    }
}

// --- ScopedRegKeyRemoved -----------------------------------------------------

struct ScopedRegKeyRemoved::Tree {
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::string name;
    std::vector<Value> values;
    std::vector<Tree> subkeys;
};

namespace {

ScopedRegKeyRemoved::Tree ReadTree(HKEY root, const std::string& path, const std::string& name)
{
    ScopedRegKeyRemoved::Tree t;
    t.name = name;
    for (const std::string& v : RegValueNames(root, path)) {
        ScopedRegKeyRemoved::Tree::Value val{v, 0, {}};
        if (ReadRaw(root, path, v, &val.type, &val.data))
            t.values.push_back(val);
    }
    for (const std::string& s : RegSubkeys(root, path))
        t.subkeys.push_back(ReadTree(root, path + "\\" + s, s));
    return t;
}

void WriteTree(HKEY root, const std::string& path, const ScopedRegKeyRemoved::Tree& t)
{
    RegCreateKey(root, path);
    for (const auto& v : t.values)
        WriteRaw(root, path, v.name, v.type, v.data);
    for (const auto& s : t.subkeys)
        WriteTree(root, path + "\\" + s.name, s);
}

}  // namespace

ScopedRegKeyRemoved::ScopedRegKeyRemoved(HKEY root, std::string subkey) : root_(root), subkey_(std::move(subkey))
{
    if (RegKeyExists(root_, subkey_))
        saved_ = new Tree(ReadTree(root_, subkey_, std::string()));
    RegDeleteTree(root_, subkey_);
}

ScopedRegKeyRemoved::~ScopedRegKeyRemoved()
{
    try {
        RegDeleteTree(root_, subkey_);
        if (saved_)
            WriteTree(root_, subkey_, *saved_);
    } catch (const std::exception&) {
    }
    delete saved_;
}

}  // namespace bench
