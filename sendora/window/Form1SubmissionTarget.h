#pragma once

#include "sendora/submission/SubmissionTarget.h"

class Form1;

// The submissions' target over the main window's browser: 接続, the
// single-file upload into the current remote folder, 切断.
class Form1SubmissionTarget final : public SubmissionTarget
{
public:
    explicit Form1SubmissionTarget(Form1& form) : form_(form) {}

    bool open() override;
    bool sendFile(const QString& localPath) override;
    void close() override;
    bool ending() const override;

private:
    Form1& form_;
};
