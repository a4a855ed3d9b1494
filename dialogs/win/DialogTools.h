#pragma once

#include "base/String.h"

#include <windows.h>

// Companions of the dialog framework. Template derives from this empty base.
struct DialogTools {
    // Turns a static text control into a clickable link to the product page.
    // The object lives in its dialog object and is attached again every time
    // the dialog initialises, so the visited colour persists across openings.
    class HyperLink {
      public:
        HyperLink() = default;
        HyperLink(const HyperLink&) = delete;
        HyperLink& operator=(const HyperLink&) = delete;
        virtual ~HyperLink();

        virtual void hoverEntered() {}
        // Opens the link target in the user's browser.
        virtual void open();
        virtual void hoverLeft() {}

        // Makes control `controlId` of `dialog` a link; returns 1.
        int attach(HWND dialog, int controlId);

        bool isHovering() const { return hovering; }
        bool isVisited() const { return visited; }
        const String& linkTarget() const { return target; }

        // The underlined font shared by all live links (null when none lives)
        // and their number.
        static HFONT sharedFont();
        static int liveLinks();

      private:
        static LRESULT CALLBACK parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
        static LRESULT CALLBACK linkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
        void detach();
        void drawFocus();

        String target;
        bool hovering = false;
        bool visited = false;
        HFONT normalFont = nullptr;
        WNDPROC savedProc = nullptr;
        HWND control = nullptr; // the control while it is a link
    };
};
