// dialog-bench: times a press of "展開" in the real dialog, from the press to
// the text shown, on a folder (e.g. one made by tree-gen, bench/walk), and
// splits it into its parts:
//
//   walk       constructing CSerchFiles (every file accepted, depth 32,
//              each file's details read as its folder is read);
//   rendering  RenderWalk, as a press renders;
//   set text   putting the text into the output box: the conversion to the
//              edit's UTF-8 and the load into a document (a press does this on
//              its own thread), then showing the document on the window's
//              thread, then the repaint that shows it;
//
// then the whole press through the button, as the user makes it (with
// --press-only nothing else, for runs taken in turns with tandrel-cli). With
// --plain-text-edit it also times setPlainText of the same text into a
// QPlainTextEdit that does not wrap (the output box before Scintilla), for
// comparison. Prints the median of N runs (default 5) of each, in
// milliseconds, on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
//
//   tree-gen mixed 100000 /tmp/tree-100k
//   dialog-bench [--runs N] [--press-only | --plain-text-edit] /tmp/tree-100k

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "morvash/SerchFiles.h"
#include "tandrel/dialog/OutputEdit.h"
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/dialog/WidgetText.h"
#include "tandrel/render/RenderWalk.h"
#include "tandrel/render/TreeText.h"

namespace {

using Clock = std::chrono::steady_clock;
using tandrel::dialog::OutputEdit;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Time(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    work();
    return MillisecondsSince(start);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    int runs = 5;
    bool plainTextEdit = false;
    bool pressOnly = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--plain-text-edit") {
            plainTextEdit = true;
        } else if (arg == "--press-only") {
            pressOnly = true;
        } else {
            folder = arg;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr,
                     "usage: dialog-bench [--runs N] [--press-only | --plain-text-edit] FOLDER\n");
        return 2;
    }

    CTandrelDlg dlg;
    if (!dlg.Create()) {
        std::fprintf(stderr, "the main dialog's template is missing\n");
        return 1;
    }
    dlg.show();
    dlg.SetDlgItemText(IDC_FOLDER, folder.c_str());
    auto* output = qobject_cast<OutputEdit*>(dlg.GetDlgItem(IDC_OUTPUT));
    const tandrel::RootFolder root = tandrel::PrepareRootFolder(folder.c_str(), FALSE);
    QPlainTextEdit plain;
    plain.setLineWrapMode(QPlainTextEdit::NoWrap);
    plain.resize(output->size());
    plain.show();

    std::vector<double> walk;
    std::vector<double> render;
    std::vector<double> load;
    std::vector<double> show;
    std::vector<double> paint;
    std::vector<double> press;
    std::vector<double> plainSet;
    int lines = 0;
    for (int run = 0; run < runs; ++run) {
        const auto pressNow = [&] {
            press.push_back(Time([&] {
                qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_EXPAND))->click();
                QApplication::processEvents();
            }));
        };
        if (pressOnly) {
            pressNow();
            continue;
        }
        CString text;
        walk.push_back(Time([&] {
            morvash::WalkOptions options;
            tandrel::AskWalkFor({}, options);
            CSerchFiles engine(root.enginePath, "", options);
            lines = engine.gFc_GetListFiles()->GetSize();
            render.push_back(Time([&] { tandrel::RenderWalk(engine, root.rootLabel, {}, text); }));
        }));
        walk.back() -= render.back();

        dlg.SetDlgItemText(IDC_OUTPUT, "");
        QApplication::processEvents();
        OutputEdit::Loader loader = output->NewLoader();
        load.push_back(Time([&] {
            std::string storage;
            loader.Load(tandrel::dialog::ToWidgetUtf8(text.view(), storage));
        }));
        show.push_back(Time([&] { output->Show(std::move(loader)); }));
        paint.push_back(Time([] { QApplication::processEvents(); }));

        if (plainTextEdit) {
            plain.clear();
            QApplication::processEvents();
            plainSet.push_back(Time([&] {
                QString lines = QString::fromUtf8(text.view().data(), text.GetLength());
                lines.remove(QLatin1Char('\r'));
                plain.setPlainText(lines);
                QApplication::processEvents();
            }));
            plain.clear();
        }

        pressNow();
    }
    const long shownLines = output->SendScintilla(OutputEdit::SCI_GETLINECOUNT);
    if (pressOnly) {
        std::printf("press %.1f ms (%ld lines, median of %d runs)\n", Median(press), shownLines,
                    runs);
        return 0;
    }

    std::printf("folder %s: %d listing lines, %ld lines in the output box, median of %d runs\n",
                folder.c_str(), lines, shownLines, runs);
    std::printf("  walk       %9.1f ms\n", Median(walk));
    std::printf("  rendering  %9.1f ms\n", Median(render));
    std::printf(
        "  set text   %9.1f ms  (load %.1f ms off the window's thread, show %.1f ms on it;"
        " then %.1f ms to repaint)\n",
        Median(load) + Median(show), Median(load), Median(show), Median(paint));
    if (plainTextEdit) {
        std::printf("  QPlainTextEdit set text %9.1f ms  (conversion, setPlainText, repaint)\n",
                    Median(plainSet));
    }
    std::printf("  press      %9.1f ms  (the button, start to text shown)\n", Median(press));
    return 0;
}
