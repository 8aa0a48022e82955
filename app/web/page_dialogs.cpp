#include "app/web/page_dialogs.h"

#include <fmt/format.h>

#include <iostream>
#include <string_view>

#include "app/text/float_text.h"

namespace zg::web {

namespace {

constexpr host::INT_PTR kOpened = 42;
constexpr host::INT_PTR kFileNotFound = 2;
constexpr host::INT_PTR kAccessDenied = 5;

// Button sets and icons of a message box type.
const char* Buttons(host::UINT type) {
    switch (type & 0xF) {
        case 1: return "okcancel";
        case 2: return "abortretryignore";
        case 3: return "yesnocancel";
        case 4: return "yesno";
        case 5: return "retrycancel";
        default: return "ok";
    }
}

const char* Icon(host::UINT type) {
    switch (type & 0xF0) {
        case host::MB_ICONERROR: return "error";
        case 0x20: return "question";
        case 0x30: return "warning";
        case 0x40: return "information";
        default: return "none";
    }
}

// An absolute web address without spaces or control characters.
bool IsWebAddress(std::string_view url) {
    const bool scheme = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
    if (!scheme || url.size() > 2048) return false;
    for (unsigned char c : url)
        if (c <= 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace

PageDialogs::PageDialogs(Deliver deliver, CurrentPage currentPage, bool offline, UiThread* ui)
    : deliver_(std::move(deliver)), currentPage_(std::move(currentPage)), offline_(offline), ui_(ui) {}

host::INT_PTR PageDialogs::Open(host::HWND, const char*, const char* file, const char*, const char*, int) {
    if (offline_) return kFileNotFound;
    if (file == nullptr || !IsWebAddress(file)) return kAccessDenied;
    const std::optional<ClientId> page = currentPage_();
    if (!page) return host::SE_ERR_NOASSOC;
    deliver_(*page, text::DumpJson(text::Json{{"type", "openUrl"}, {"url", file}}), false);
    return kOpened;
}

int PageDialogs::Show(host::HWND, const char* text, const char* caption, host::UINT type) {
    const std::string body = text != nullptr ? text : "";
    const std::string title = caption != nullptr ? caption : "";
    const int dismissed = (type & 0xF) == 0 ? host::IDOK : host::IDCANCEL;
    const std::optional<ClientId> page = currentPage_();
    if (!page) {
        std::cerr << "zentrograph serve: " << title << ": " << body << "\n";
        return host::IDOK;
    }
    int64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return dismissed;
        id = nextId_++;
        open_[id] = *page;
    }
    deliver_(*page, text::DumpJson(text::Json{{"type", "messageBox"}, {"id", id}, {"text", body}, {"caption", title},
                          {"buttons", Buttons(type)}, {"icon", Icon(type)}}),
             false);
    const auto done = [&] { return stopped_ || replies_.contains(id) || closed_.contains(*page); };
    if (ui_ != nullptr) {
        ui_->RunWhile(
            [&] {
                std::lock_guard lock(mutex_);
                return !done();
            },
            *page);
    }
    std::unique_lock lock(mutex_);
    if (ui_ == nullptr) answered_.wait(lock, done);
    open_.erase(id);
    const auto it = replies_.find(id);
    if (it == replies_.end()) return dismissed;
    const int button = it->second;
    replies_.erase(it);
    return button;
}

void PageDialogs::Reply(ClientId client, int64_t id, int button) {
    {
        std::lock_guard lock(mutex_);
        // No box of that number is open, or it is another page's.
        const auto it = open_.find(id);
        if (it == open_.end() || it->second != client) return;
        replies_[id] = button;
    }
    Wake();
}

void PageDialogs::PageClosed(ClientId client) {
    {
        std::lock_guard lock(mutex_);
        closed_.insert(client);
    }
    Wake();
}

void PageDialogs::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    Wake();
}

void PageDialogs::Wake() {
    answered_.notify_all();
    if (ui_ != nullptr) ui_->Wake();
}

}  // namespace zg::web
