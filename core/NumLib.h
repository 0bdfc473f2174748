// SPDX-License-Identifier: GPL-3.0-or-later
// The program's side of libkelvane: the library is loaded by name on the
// first call (beside the executable first, then the normal library search
// path) and its three exports are resolved then. A missing library or export
// throws NumLibError from the call that needed it; nothing crashes.
#pragma once

#include "core/ProgramState.h"

#include <QString>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class NumLibError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class NumLib
{
public:
    // Candidates are tried in order; a name without a slash goes through the
    // dynamic loader's search path.
    explicit NumLib(std::vector<std::string> candidates = defaultCandidates());
    ~NumLib();
    NumLib(const NumLib &) = delete;
    NumLib &operator=(const NumLib &) = delete;

    static std::vector<std::string> defaultCandidates();

    // Loads the library now if it is not yet loaded; throws NumLibError,
    // naming the library and the reason, when it cannot be.
    void load();

    // Reads the data file `path` (any length) into pts, n, comments, ncomm.
    void getdata(
        PointArray &pts, int32_t &n, const QString &path, int32_t &ncomm, CommentBuffer &comments);
    void blank(const PointArray &d, int32_t n, const PointArray &b, int32_t nb, PointArray &out,
        int32_t &nlow, int32_t &nhigh);
    void tkrnd2(float a, float b, float &start, float &end, int32_t &count);

    // The file the library was loaded from, empty before the first call.
    const std::string &loadedFrom() const { return m_loadedFrom; }

private:
    using GetdataFn = void (*)(float *, int32_t *, char *, int32_t, int32_t *, char *, int32_t);
    using BlankFn = void (*)(const float *, const int32_t *, const float *, const int32_t *,
        float *, int32_t *, int32_t *);
    using Tkrnd2Fn = void (*)(const float *, const float *, float *, float *, int32_t *);

    std::vector<std::string> m_candidates;
    std::string m_loadedFrom;
    void *m_handle = nullptr;
    GetdataFn m_getdata = nullptr;
    BlankFn m_blank = nullptr;
    Tkrnd2Fn m_tkrnd2 = nullptr;
};
