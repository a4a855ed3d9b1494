#include "playback/win/Feedback.h"

#include "playback/PlayedSoftware.h"
#include "service/SoftwareCatalogue.h"
#include "service/win/FileVersionResource.h"
#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"
#include "service/FeedbackRequest.h"

void Feedback::open(const Ticket* ticket, const AutomationElementPtr& element) {
    if (!ticket || !element)
        return;
    ticketId = ticket->id;
    FileVersionResource resource;
    software = playedSoftware(automation, element, resource, SoftwareCatalogue::instance());
    if (!window)
        create(IDD_FEEDBACK, nullptr, true, true);
    if (window)
        SetForegroundWindow(window);
}

void Feedback::send(int answer) {
    const String reply = sendFeedback(ticketId, software, answer);
    if (feedbackSucceeded(reply))
        MessageBoxW(nullptr, L"Vielen Dank für dein Feedback!", L"Feedback erhalten", MB_OK);
    else
        MessageBoxW(nullptr, wide(String::format(u"Fehler beim senden des Feedbacks: %s", reply)),
                    L"Fehler", MB_OK);
}

INT_PTR Feedback::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(dialog);
        SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_FEEDBACK_YES:
            close(0);
            send(feedbackYes);
            break;
        case IDC_FEEDBACK_NO:
            close(0);
            send(feedbackNo);
            break;
        }
        break;
    }
    return 0;
}
