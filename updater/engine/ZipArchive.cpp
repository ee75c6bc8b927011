#include "updater/engine/ZipArchive.h"

#include "common/update/SafePath.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>

namespace update {

ZipArchive::~ZipArchive()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipArchive::open(const std::string& path)
{
    int err = 0;
    m_zip = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!m_zip) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, err);
        m_error = "cannot open archive " + path + ": " + zip_error_strerror(&ze);
        zip_error_fini(&ze);
        return false;
    }
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &st) != 0 ||
            !(st.valid & ZIP_STAT_NAME)) {
            m_error = "cannot read entry " + std::to_string(i) + ": " + zip_strerror(m_zip);
            return false;
        }
        Entry e;
        e.index = static_cast<uint64_t>(i);
        e.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
        const std::string name = st.name;
        if (!safepath::split(name, safepath::kSlashOnly, e.names, &e.folder)) {
            m_error = "refused entry name \"" + name + "\"";
            return false;
        }
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(m_zip, e.index, 0, &opsys, &attributes) == 0 &&
            opsys == ZIP_OPSYS_UNIX) {
            const mode_t mode = static_cast<mode_t>(attributes >> 16);
            if (S_ISLNK(mode)) {
                m_error = "refused symbolic link \"" + name + "\"";
                return false;
            }
            if (S_ISDIR(mode))
                e.folder = true;
        }
        // A stored empty entry marked as a folder (attributes 0x10) is a folder too.
        if (!e.folder && attributes == 0x10 && e.size == 0)
            e.folder = true;
        m_entries.push_back(std::move(e));
    }
    return true;
}

bool ZipArchive::extract(const Entry& entry, int fd)
{
    zip_file_t* zf = zip_fopen_index(m_zip, entry.index, 0);
    if (!zf) {
        m_error = std::string("cannot open entry: ") + zip_strerror(m_zip);
        return false;
    }
    char buffer[64 * 1024];
    uint64_t total = 0;
    bool ok = true;
    for (;;) {
        zip_int64_t n = zip_fread(zf, buffer, sizeof buffer);
        if (n < 0) {
            m_error = std::string("damaged entry: ") + zip_file_strerror(zf);
            ok = false;
            break;
        }
        if (n == 0)
            break;
        total += static_cast<uint64_t>(n);
        const char* p = buffer;
        size_t left = static_cast<size_t>(n);
        while (left > 0) {
            ssize_t w = ::write(fd, p, left);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                m_error = std::string("cannot write: ") + std::strerror(errno);
                ok = false;
                break;
            }
            p += w;
            left -= static_cast<size_t>(w);
        }
        if (!ok)
            break;
    }
    zip_fclose(zf);
    if (ok && total != entry.size) {
        m_error = "entry size differs from its header";
        ok = false;
    }
    return ok;
}

}  // namespace update
