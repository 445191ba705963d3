#pragma once

// The base of the data records handed to a content dialog (CSkinUIDialog), which owns them.
class UIDataBase {
public:
    virtual ~UIDataBase() = default;
};
