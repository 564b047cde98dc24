// dialog-bench: times a press of "展開" in the real dialog, from the press to
// the text shown, on a folder made by tree-gen (bench/walk), and splits it
// into its three parts:
//
//   walk       constructing CSerchFiles (every file accepted, depth 32);
//   rendering  BuildTreeText, with one file-details lookup per file line;
//   set text   putting the text into the output box (the conversion to
//              Qt's text and one setPlainText), then the repaint that shows it;
//
// then the whole press through the button, as the user makes it. Prints the
// median of N runs (default 5) of each, in milliseconds, on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise.
//
//   tree-gen mixed 100000 /tmp/tree-100k
//   dialog-bench [--runs N] /tmp/tree-100k

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
#include "tandrel/dialog/ResourceIds.h"
#include "tandrel/dialog/TandrelDlg.h"
#include "tandrel/dialog/WidgetText.h"
#include "tandrel/render/TreeText.h"

namespace {

using Clock = std::chrono::steady_clock;

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
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            folder = arg;
        }
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: dialog-bench [--runs N] FOLDER (made by tree-gen)\n");
        return 2;
    }

    CTandrelDlg dlg;
    if (!dlg.Create()) {
        std::fprintf(stderr, "the main dialog's template is missing\n");
        return 1;
    }
    dlg.show();
    dlg.SetDlgItemText(IDC_FOLDER, folder.c_str());
    const tandrel::RootFolder root = tandrel::PrepareRootFolder(folder.c_str(), FALSE);

    std::vector<double> walk;
    std::vector<double> render;
    std::vector<double> setText;
    std::vector<double> paint;
    std::vector<double> press;
    int lines = 0;
    for (int run = 0; run < runs; ++run) {
        CString text;
        walk.push_back(Time([&] {
            CSerchFiles engine(root.enginePath, "", MAX_SEARCH_DEPTH);
            lines = engine.gFc_GetListFiles()->GetSize();
            render.push_back(Time([&] {
                tandrel::BuildTreeText(
                    root.rootLabel, *engine.gFc_GetListFiles(), engine.gFc_GetNumOfDir(),
                    engine.gFc_GetNumOfFile(),
                    [&engine](int index) { return engine.gFc_GetFileInfo(index); }, {}, text);
            }));
        }));
        walk.back() -= render.back();
        dlg.SetDlgItemText(IDC_OUTPUT, "");
        QApplication::processEvents();
        setText.push_back(Time([&] { dlg.SetDlgItemText(IDC_OUTPUT, text); }));
        paint.push_back(Time([] { QApplication::processEvents(); }));
        press.push_back(Time([&] {
            qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_EXPAND))->click();
            QApplication::processEvents();
        }));
    }
    const int shownLines =
        qobject_cast<QPlainTextEdit*>(dlg.GetDlgItem(IDC_OUTPUT))->document()->blockCount();

    std::printf("folder %s: %d listing lines, %d lines in the output box, median of %d runs\n",
                folder.c_str(), lines, shownLines, runs);
    std::printf("  walk       %9.1f ms\n", Median(walk));
    std::printf("  rendering  %9.1f ms\n", Median(render));
    std::printf("  set text   %9.1f ms  (then %.1f ms to repaint)\n", Median(setText),
                Median(paint));
    std::printf("  press      %9.1f ms  (the button, start to text shown)\n", Median(press));
    return 0;
}
