#pragma once
// An IHttpCallback that records every report and can ask to stop.

#include <vector>

#include "http_kit/IHttpBase.h"

struct DownloadReport {
    int userValue;
    int state;
    double total;
    double downloaded;
};

class RecordingCallback : public IHttpCallback {
public:
    void OnDownloadCallback(int userValue, int state, double totalSize, double downloadedSize) override {
        reports.push_back({userValue, state, totalSize, downloadedSize});
    }
    bool IsNeedStop() override { return stop; }

    int Count(int state) const {
        int count = 0;
        for (const DownloadReport& report : reports) count += report.state == state;
        return count;
    }

    std::vector<DownloadReport> reports;
    bool stop = false;
};
