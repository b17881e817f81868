#pragma once
// A recording stand-in for the shell and a fixture that gives each test a fresh program-wide
// animation.

#include "AnimationData.h"
#include "ImageCreation.h"
#include "ProgramState.h"
#include "ShellServices.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

class RecordingShell : public ShellServices {
public:
    struct Sent {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    std::string loadString(UINT id) override {
        const auto it = strings.find(id);
        return it != strings.end() ? it->second : "[" + std::to_string(id) + "]";
    }
    int messageBox(const std::string& text, UINT flags) override {
        boxes.push_back(text);
        if (answers.empty())
            return IDOK;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool hasMainWindow() override { return mainWindow; }
    LRESULT sendToMainWindow(UINT message, WPARAM w, LPARAM l) override {
        sent.push_back({message, w, l});
        return 0;
    }
    bool escapePressed() override {
        if (escapeAfter < 0)
            return false;
        return escapeAfter-- == 0;
    }
    void setWaitCursor(bool) override {}
    bool hasActiveDocument() override { return document; }
    void setDocumentModified(bool m) override { modified = m; }
    void refreshStripView() override {}
    void redrawViews(int, int) override {}
    void updateAnimationPage() override {}
    void updateOptimizeState() override {}
    void updateAllViews() override { ++viewUpdates; }
    void refreshViews(BOOL, BOOL) override { ++viewRefreshes; }
    int doFileDialog(FileDialogRequest& request) override {
        dialogRequests.push_back(request);
        if (fileDialogAnswer == IDOK)
            request.file = fileDialogChoice;
        return fileDialogAnswer;
    }

    int countSent(UINT message) const {
        int n = 0;
        for (const auto& s : sent)
            n += s.message == message;
        return n;
    }

    bool mainWindow = true;
    bool document = true;
    bool modified = false;
    int escapeAfter = -1; // Esc is reported on the n-th poll (0 = first); -1 never
    std::deque<int> answers;
    std::vector<std::string> boxes;
    std::vector<Sent> sent;
    std::map<UINT, std::string> strings; // texts that replace "[id]"
    int viewUpdates = 0;
    int viewRefreshes = 0;
    int fileDialogAnswer = IDCANCEL;
    std::string fileDialogChoice;
    std::vector<FileDialogRequest> dialogRequests;
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        setShellServices(&shellFake);
        CreateProgramAnimation();
    }
    void TearDown() override {
        DestroyProgramAnimation();
        setShellServices(nullptr);
    }

    CAnimationData& animation() { return *g_pAnimationData; }

    // Appends a real frame (before the placeholder) with a new image of the given depth.
    CObjFrame& addFrame(int left, int top, int width, int height, int depth = 8) {
        auto& frames = animation().frames;
        auto it = frames.emplace(std::prev(frames.end()));
        it->SetImage(static_cast<std::uint16_t>(KPXCreateImage(width, height, depth)));
        it->left = left;
        it->top = top;
        it->width = width;
        it->height = height;
        animation().UpdateFrameCount();
        return *it;
    }

    CObjFrame& frameAt(int index) { return *std::next(animation().frames.begin(), index); }

    RecordingShell shellFake;
};
