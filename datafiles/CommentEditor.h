// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Comment Lines: the comment lines of the data set edited as free
// text in the Comments window. The text goes out to the scratch file
// "~comment.tmp" beside the working file and comes back from it on OK; each
// line is cut or blank-padded to 96 characters and at most 50 are kept.
// Should the scratch file fail, the text travels in memory instead, so the
// editor still opens and nothing typed is lost. Cancel keeps everything.
#pragma once

#include <QByteArray>

struct AppContext;
struct ProgramState;
class MainView;

void EditComment1(AppContext &app, MainView &view);

// The scratch file's text: every slot in use, all 96 characters, CR LF
// after each; a single blank line when there are none.
QByteArray CommentScratchText(const ProgramState &state);

// Stores the lines of `text` (ended by LF, CR LF or CR; a last line needs no
// end) in the comment slots, the first 50 only, and sets NumComments. Slots
// above the new count keep their old contents.
void StoreCommentLines(ProgramState &state, const QByteArray &text);
