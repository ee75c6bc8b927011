#include "tests/media/StreamPublisher.h"

#include "ChildProcess.h"

#include "TestPaths.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mediatest {

int spawnFfmpeg(const std::vector<std::string>& args, int stdoutFd)
{
    const std::string ffmpeg = testsupport::findProgram("ffmpeg");
    if (ffmpeg.empty())
        return -1;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(ffmpeg.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        testsupport::prepareChild(true);
        if (stdoutFd >= 0)
            dup2(stdoutFd, STDOUT_FILENO);
        execv(ffmpeg.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

std::vector<std::string> StreamPublisher::arguments(const std::string& url, const PublishOptions& o)
{
    std::vector<std::string> a = {"-hide_banner", "-loglevel", "error", "-nostdin", "-re"};
    if (!o.inputFile.empty()) {
        if (!o.inputFormat.empty())
            a.insert(a.end(), {"-f", o.inputFormat});
        a.insert(a.end(), {"-i", o.inputFile, "-c", "copy"});
    } else {
        const std::vector<std::string> picture = {
            "-f", "lavfi", "-i",
            o.picture + "=size=" + std::to_string(o.width) + "x" + std::to_string(o.height) + ":rate=25"};
        const std::vector<std::string> sound = {"-f", "lavfi", "-i",
                                                "sine=frequency=1000:sample_rate=" + std::to_string(o.audioRate)};
        if (o.video && o.audio && o.videoDelay > 0) {
            // Sound from the start, pictures later, each paced on its own and
            // sent without waiting for the other.
            a.insert(a.end(), sound.begin(), sound.end());
            a.insert(a.end(), {"-itsoffset", std::to_string(o.videoDelay), "-re"});
            a.insert(a.end(), picture.begin(), picture.end());
            a.insert(a.end(), {"-map", "1:v", "-map", "0:a", "-max_interleave_delta", "100000"});
        } else {
            if (o.video)
                a.insert(a.end(), picture.begin(), picture.end());
            if (o.audio)
                a.insert(a.end(), sound.begin(), sound.end());
        }
        if (o.timeJumpAt > 0) {
            const std::string shift =
                "PTS+gte(T\\," + std::to_string(o.timeJumpAt) + ")*" + std::to_string(o.timeJump) + "/TB";
            if (o.video)
                a.insert(a.end(), {"-vf", "setpts=" + shift});
            if (o.audio)
                a.insert(a.end(), {"-af", "asetpts=" + shift});
        }
        if (o.video)
            a.insert(a.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-tune", "zerolatency", "-g", "25",
                               "-pix_fmt", "yuv420p"});
        else
            a.push_back("-vn");
        if (o.audio)
            a.insert(a.end(), {"-c:a", "aac", "-ac", std::to_string(o.audioChannels)});
        else
            a.push_back("-an");
    }
    a.insert(a.end(), {"-f", "flv", url});
    return a;
}

bool StreamPublisher::start(const std::string& url, const PublishOptions& options)
{
    stop();
    const int pid = spawnFfmpeg(arguments(url, options));
    if (pid <= 0)
        return false;
    m_pid = pid;
    return true;
}

void StreamPublisher::kill()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = 0;
}

void StreamPublisher::stop() { kill(); }

void StreamPublisher::hold()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGSTOP);
}

void StreamPublisher::resume()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGCONT);
}

std::string StreamPublisher::describe()
{
    if (m_pid <= 0)
        return "not started or ended by the test";
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) != m_pid)
        return "running";
    m_pid = 0;
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status));
    return "exited with status " + std::to_string(WEXITSTATUS(status));
}

bool runFfmpeg(const std::vector<std::string>& args)
{
    const int pid = spawnFfmpeg(args);
    if (pid <= 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace mediatest
