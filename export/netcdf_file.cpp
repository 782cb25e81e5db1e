#include "export/netcdf_file.h"

#include <netcdf.h>

namespace tidora {
namespace {

nc_type ToNc(NcType type) {
  switch (type) {
    case NcType::kInt:
      return NC_INT;
    case NcType::kFloat:
      return NC_FLOAT;
    case NcType::kDouble:
      return NC_DOUBLE;
    case NcType::kString:
      return NC_STRING;
  }
  return NC_DOUBLE;
}

}  // namespace

double NcFillValue(NcType type) {
  switch (type) {
    case NcType::kInt:
      return NC_FILL_INT;
    case NcType::kFloat:
      return NC_FILL_FLOAT;
    default:
      return NC_FILL_DOUBLE;
  }
}

NcFile::~NcFile() {
  if (id_ >= 0) nc_close(id_);
}

bool NcFile::Check(int status, const std::string& what) {
  if (status != NC_NOERR && error_.empty())
    error_ = path_ + ": " + what + ": " + nc_strerror(status);
  return status == NC_NOERR;
}

bool NcFile::Create(const std::string& path) {
  path_ = path;
  error_.clear();
  // Our own fill values are declared per variable; pre-filling every chunk would only cost time.
  if (!Check(nc_create(path.c_str(), NC_NETCDF4 | NC_CLOBBER, &id_), "cannot be created")) {
    id_ = -1;
    return false;
  }
  int old = 0;
  return Check(nc_set_fill(id_, NC_NOFILL, &old), "setting the fill mode");
}

bool NcFile::Close() {
  if (id_ >= 0) {
    Check(nc_close(id_), "closing");
    id_ = -1;
  }
  return Ok();
}

int NcFile::Dim(const std::string& name, size_t length) {
  int dim = -1;
  if (Ok()) Check(nc_def_dim(id_, name.c_str(), length ? length : NC_UNLIMITED, &dim), name);
  return dim;
}

int NcFile::Var(const std::string& name, NcType type, const std::vector<int>& dims,
                const std::vector<size_t>& chunks, bool fill) {
  int var = -1;
  if (!Ok()) return var;
  if (!Check(nc_def_var(id_, name.c_str(), ToNc(type), static_cast<int>(dims.size()), dims.data(),
                        &var),
             "defining " + name))
    return -1;
  if (!chunks.empty() && chunks.size() == dims.size()) {
    Check(nc_def_var_chunking(id_, var, NC_CHUNKED, chunks.data()), "chunking " + name);
    // Chunks are written whole or filled in order: a cache of a few of them keeps memory flat
    // however long the file grows.
    size_t bytes = 8;
    for (size_t c : chunks) bytes *= c;
    Check(nc_set_var_chunk_cache(id_, var, 4 * bytes, 13, 1.0f), "caching " + name);
    // Shuffled bytes of slowly varying samples compress well even at a fast level.
    Check(nc_def_var_deflate(id_, var, 1, 1, 1), "compressing " + name);
  }
  if (fill && type != NcType::kString) Number(var, "_FillValue", NcFillValue(type), type);
  return var;
}

void NcFile::Text(int var, const std::string& name, const std::string& value) {
  if (Ok())
    Check(nc_put_att_text(id_, var < 0 ? NC_GLOBAL : var, name.c_str(), value.size(), value.data()),
          "attribute " + name);
}

void NcFile::Number(int var, const std::string& name, double value, NcType type) {
  Numbers(var, name, {value}, type);
}

void NcFile::Numbers(int var, const std::string& name, const std::vector<double>& values,
                     NcType type) {
  if (!Ok()) return;
  const int v = var < 0 ? NC_GLOBAL : var;
  Check(nc_put_att_double(id_, v, name.c_str(), ToNc(type), values.size(), values.data()),
        "attribute " + name);
}

bool NcFile::EndDefinitions() {
  if (Ok()) Check(nc_enddef(id_), "ending the definitions");
  return Ok();
}

void NcFile::Put(int var, const std::vector<size_t>& start, const std::vector<size_t>& count,
                 const double* values) {
  if (Ok()) Check(nc_put_vara_double(id_, var, start.data(), count.data(), values), "writing");
}

void NcFile::Put(int var, const std::vector<size_t>& start, const std::vector<size_t>& count,
                 const float* values) {
  if (Ok()) Check(nc_put_vara_float(id_, var, start.data(), count.data(), values), "writing");
}

void NcFile::PutString(int var, const std::string& value) {
  const char* text = value.c_str();
  if (Ok()) Check(nc_put_var_string(id_, var, &text), "writing");
}

}  // namespace tidora
