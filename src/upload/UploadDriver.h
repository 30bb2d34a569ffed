#pragma once

#include <string>

class Engine;

// One upload run, from the Start Upload button to a verdict and an exit code.
class UploadDriver {
public:
    explicit UploadDriver(Engine& k) : k_(k) {}

    // A failure that is neither the host's nor a lack of memory (a fault of the
    // program itself) is reported under this number of its own.
    static constexpr int InternalErrorNumber = 51;

    void cmdStartUploadButton_Click();
    void PrepareUpload();
    void SetupProgressBar();

private:
    void RunUpload();
    // Whether the line can run at the rates this upload needs; reported when it cannot.
    bool LineCarriesUpload();
    // The detection loop; false when the upload is to abort.
    bool BringCpuIntoLoader();
    void FinishUpload(const std::string& expected, const std::string& returned);
    void RejectFile(const std::string& message);
    void EndWithError(int number, const std::string& reason);

    Engine& k_;
    // The detection loop gave up on a CPU that would not enter its loader.
    bool loaderRequestsFailed_ = false;
};
