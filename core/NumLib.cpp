// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"

#include <QFile>

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace
{
constexpr const char *libraryName = "libkelvane.so";
// What an installed program has: the name with the library's soname.
constexpr const char *sonameName = "libkelvane.so.0";
constexpr int pathBufferLength = 160; // what the parser is handed at least
} // namespace

NumLib::NumLib(std::vector<std::string> candidates)
    : m_candidates(std::move(candidates))
{
}

NumLib::~NumLib()
{
    if (m_handle)
        dlclose(m_handle);
}

std::vector<std::string> NumLib::defaultCandidates()
{
    std::vector<std::string> candidates;
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const auto bin = exe.parent_path();
        candidates.push_back((bin / sonameName).string());
        candidates.push_back((bin.parent_path() / KELVANE_INSTALL_LIBDIR / sonameName).string());
    }
    candidates.emplace_back(sonameName);
    // The build tree has the plain name too, and copies made by hand may
    // have only that.
    if (!error)
        candidates.push_back((exe.parent_path() / libraryName).string());
    candidates.emplace_back(libraryName);
    return candidates;
}

void NumLib::load()
{
    if (m_getdata && m_blank && m_tkrnd2)
        return;
    std::string failures;
    for (const std::string &candidate : m_candidates) {
        if (candidate.find('/') != std::string::npos && !std::filesystem::exists(candidate))
            continue;
        void *handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            failures += dlerror();
            failures += "; ";
            continue;
        }
        auto getdata = reinterpret_cast<GetdataFn>(dlsym(handle, "getdata"));
        auto blank = reinterpret_cast<BlankFn>(dlsym(handle, "blank"));
        auto tkrnd2 = reinterpret_cast<Tkrnd2Fn>(dlsym(handle, "tkrnd2"));
        if (!getdata || !blank || !tkrnd2) {
            failures += candidate + " lacks getdata, blank or tkrnd2; ";
            dlclose(handle);
            continue;
        }
        m_handle = handle;
        m_getdata = getdata;
        m_blank = blank;
        m_tkrnd2 = tkrnd2;
        m_loadedFrom = candidate;
        return;
    }
    throw NumLibError("The numeric library " + std::string(libraryName)
        + " could not be loaded: " + (failures.empty() ? "not found" : failures));
}

void NumLib::getdata(
    PointArray &pts, int32_t &n, const QString &path, int32_t &ncomm, CommentBuffer &comments)
{
    load();
    // The file system's own encoding, so that the very file chosen is read;
    // the buffer grows with the path instead of cutting it.
    QByteArray buffer = QFile::encodeName(path);
    if (buffer.size() < pathBufferLength)
        buffer.append(pathBufferLength - buffer.size(), ' ');
    m_getdata(pts.data(), &n, buffer.data(), int32_t(buffer.size()), &ncomm, comments.data(),
        CommentBuffer::size());
}

void NumLib::blank(const PointArray &d, int32_t n, const PointArray &b, int32_t nb, PointArray &out,
    int32_t &nlow, int32_t &nhigh)
{
    load();
    m_blank(d.data(), &n, b.data(), &nb, out.data(), &nlow, &nhigh);
}

void NumLib::tkrnd2(float a, float b, float &start, float &end, int32_t &count)
{
    load();
    m_tkrnd2(&a, &b, &start, &end, &count);
}
