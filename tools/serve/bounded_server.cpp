#include "bounded_server.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <list>

#include <sys/resource.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http.hpp>

namespace kvtool {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using ErrorCode = boost::system::error_code;

// After the answer the client's unsent or unread bytes (a refused request's body) are
// taken and dropped for a moment, since closing a socket with unread input resets the
// connection, which can destroy the answer before the client has read it.
constexpr std::chrono::milliseconds kLinger{500};
constexpr std::size_t kMaxLingerBytes = 2 * 1024 * 1024;

std::string Text(beast::string_view text) { return std::string(text.data(), text.size()); }

// Connections the process may hold: the soft limit raised as far as the hard one allows,
// to twice the server's connections and some (a test holds the clients' ends too).
std::size_t RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return kMaxConnections;
  const rlim_t wanted = 2 * kMaxConnections + 256;
  if (limit.rlim_cur < wanted) {
    limit.rlim_cur = std::min(wanted, limit.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &limit);
    ::getrlimit(RLIMIT_NOFILE, &limit);
  }
  return std::min<std::size_t>(kMaxConnections, limit.rlim_cur > 256 ? limit.rlim_cur - 128 : 128);
}

}  // namespace

class BoundedServer::Impl {
 public:
  class Session;

  explicit Impl(Handlers handlers) : handlers_(std::move(handlers)), capacity_(RaiseDescriptorLimit()) {}

  int Bind(int port) {
    ErrorCode ec;
    acceptor_.open(tcp::v4(), ec);
    // SO_REUSEADDR alone still refuses a port that another listener holds.
    if (!ec) acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor_.bind(tcp::endpoint(asio::ip::address_v4::loopback(), static_cast<unsigned short>(port)), ec);
    // As many connections may wait to be accepted as the system allows: a short queue
    // drops a burst's connections, whose clients retry only a second later.
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) return 0;
    return acceptor_.local_endpoint().port();
  }

  bool Run() {
    try {
      Accept();
      ioc_.run();
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }

  void Stop() {
    asio::post(ioc_, [this] {
      stopping_ = true;
      ErrorCode ec;
      acceptor_.close(ec);
      retry_.cancel();
      while (!sessions_.empty()) Close(*sessions_.front());
      ioc_.stop();
    });
  }

  void Close(Session& session);

 private:
  friend class Session;

  void Accept() {
    acceptor_.async_accept([this](const ErrorCode& ec, tcp::socket socket) {
      if (stopping_ || ec == asio::error::operation_aborted) return;
      if (ec) {
        // Out of descriptors, say: try again shortly rather than spin.
        retry_.expires_after(std::chrono::milliseconds(50));
        retry_.async_wait([this](const ErrorCode& waited) {
          if (!waited) Accept();
        });
        return;
      }
      Admit(std::move(socket));
      Accept();
    });
  }

  void Admit(tcp::socket socket);

  asio::io_context ioc_{1};
  tcp::acceptor acceptor_{ioc_};
  asio::steady_timer retry_{ioc_};
  Handlers handlers_;
  const std::size_t capacity_;
  std::list<std::shared_ptr<Session>> sessions_;  // in the order they were accepted
  std::size_t bodyBytes_ = 0;  // reserved by the bodies being received
  std::array<char, 16384> drain_{};  // what lingering connections still send goes here
  bool stopping_ = false;
};

// One connection, one request: head, body, answer, linger, close.
class BoundedServer::Impl::Session : public std::enable_shared_from_this<Session> {
 public:
  enum class Phase { Head, Body, Answer, Linger, Closed };

  Session(Impl& server, tcp::socket socket)
      : server_(server), stream_(std::move(socket)), accepted_(Clock::now()) {}

  Phase phase() const { return phase_; }
  std::list<std::shared_ptr<Session>>::iterator entry;

  void Start() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(kMaxHeadBytes));
    parser_->body_limit(kMaxUploadBytes);
    stream_.expires_at(accepted_ + kHeadDeadline);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](const ErrorCode& ec, std::size_t) { self->OnHead(ec); });
  }

  void Close() {
    if (phase_ == Phase::Closed) return;
    phase_ = Phase::Closed;
    ReleaseBody();
    ErrorCode ec;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
    stream_.close();
  }

 private:
  void OnHead(const ErrorCode& ec) {
    if (phase_ == Phase::Closed) return;
    if (ec == http::error::header_limit || ec == http::error::buffer_overflow) {
      return Refuse(431, "the request head is larger than 32 KiB");
    }
    if (ec == http::error::body_limit) {
      // The head is parsed whole (the length is checked at its end), its fields are in.
      const std::string length = Text(parser_->get()[http::field::content_length]);
      return Refuse(413, "the upload is " + length + " bytes; the panel accepts at most 1 MiB (1048576 bytes)");
    }
    // Too slow, gone, or stopped: dropped without an answer.
    if (ec == beast::error::timeout || ec == http::error::end_of_stream || ec == asio::error::eof ||
        ec == asio::error::operation_aborted || ec == asio::error::connection_reset) {
      return server_.Close(*this);
    }
    if (ec) return Refuse(400, "the request is not well-formed HTTP/1.1");

    const auto& head = parser_->get();
    request_.method = Text(head.method_string());
    request_.target = Text(head.target());
    for (const auto& field : head) request_.headers.emplace_back(Text(field.name_string()), Text(field.value()));

    std::optional<HttpAnswer> refusal = Checked();
    if (refusal) return Send(std::move(*refusal));
    if (request_.HasHeader("Transfer-Encoding")) {
      return Refuse(411, "send the body with a Content-Length (at most 1 MiB), not chunked");
    }
    if (request_.HasHeader("Content-Encoding")) {
      return Refuse(415, "send the body as it is: the panel takes no Content-Encoding (gzip, deflate, ...)");
    }
    const auto length = parser_->content_length();
    if (!length && request_.method == "POST") {
      return Refuse(411, "send the body with a Content-Length (at most 1 MiB)");
    }
    if (parser_->is_done()) return Answer();

    const std::size_t bytes = static_cast<std::size_t>(*length);
    if (server_.bodyBytes_ + bytes > kBodyBudgetBytes) {
      return Refuse(503, "the panel is busy receiving other uploads: try again in a moment");
    }
    server_.bodyBytes_ += bytes;
    reserved_ = bytes;
    phase_ = Phase::Body;
    stream_.expires_at(accepted_ + kRequestDeadline);
    if (beast::iequals(request_.Header("Expect"), "100-continue")) {
      static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
      asio::async_write(stream_, asio::buffer(kContinue.data(), kContinue.size()),
                        [self = shared_from_this()](const ErrorCode& written, std::size_t) {
                          if (written) return self->server_.Close(*self);
                          self->ReadBody();
                        });
      return;
    }
    ReadBody();
  }

  void ReadBody() {
    if (phase_ == Phase::Closed) return;
    http::async_read(stream_, buffer_, *parser_, [self = shared_from_this()](const ErrorCode& ec, std::size_t) {
      if (self->phase_ == Phase::Closed) return;
      if (ec) return self->server_.Close(*self);  // too slow or gone: the length was announced
      self->ReleaseBody();
      self->Answer();
    });
  }

  std::optional<HttpAnswer> Checked() {
    try {
      return server_.handlers_.check(request_);
    } catch (const std::exception&) {
      return server_.handlers_.refusal(500, "the request could not be handled");
    }
  }

  void Answer() {
    request_.body = std::move(parser_->get().body());
    HttpAnswer answer;
    try {
      answer = server_.handlers_.handle(request_);
    } catch (const std::exception&) {
      answer = server_.handlers_.refusal(500, "the request could not be handled");
    }
    Send(std::move(answer));
  }

  void Refuse(int status, const std::string& message) { Send(server_.handlers_.refusal(status, message)); }

  void Send(HttpAnswer answer) {
    ReleaseBody();
    phase_ = Phase::Answer;
    parser_.reset();
    answer_.version(11);
    answer_.result(static_cast<unsigned>(answer.status));
    if (!answer.contentType.empty()) answer_.set(http::field::content_type, answer.contentType);
    for (const auto& [name, value] : server_.handlers_.everyAnswer()) answer_.set(name, value);
    for (const auto& [name, value] : answer.headers) answer_.set(name, value);
    answer_.body() = std::move(answer.body);
    answer_.keep_alive(false);
    answer_.prepare_payload();
    stream_.expires_at(std::max(accepted_ + kRequestDeadline, Clock::now() + kLinger));
    http::async_write(stream_, answer_, [self = shared_from_this()](const ErrorCode& ec, std::size_t) {
      if (ec) return self->server_.Close(*self);
      self->Linger();
    });
  }

  void Linger() {
    if (phase_ == Phase::Closed) return;
    if (phase_ != Phase::Linger) {
      phase_ = Phase::Linger;
      answer_ = {};
      ErrorCode ec;
      stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
      stream_.expires_after(kLinger);
    }
    stream_.async_read_some(asio::buffer(server_.drain_),
                            [self = shared_from_this()](const ErrorCode& ec, std::size_t n) {
                              self->dropped_ += n;
                              if (ec || self->dropped_ >= kMaxLingerBytes) return self->server_.Close(*self);
                              self->Linger();
                            });
  }

  void ReleaseBody() {
    server_.bodyBytes_ -= reserved_;
    reserved_ = 0;
  }

  Impl& server_;
  beast::tcp_stream stream_;
  const Clock::time_point accepted_;
  Phase phase_ = Phase::Head;
  beast::flat_buffer buffer_{kMaxHeadBytes};
  std::optional<http::request_parser<http::string_body>> parser_;
  HttpRequest request_;
  http::response<http::string_body> answer_;
  std::size_t reserved_ = 0;
  std::size_t dropped_ = 0;
};

void BoundedServer::Impl::Close(Session& session) {
  if (session.phase() == Session::Phase::Closed) return;
  session.Close();
  sessions_.erase(session.entry);
}

void BoundedServer::Impl::Admit(tcp::socket socket) {
  if (sessions_.size() >= capacity_) {
    // Full: the oldest connection that has not sent its head (or is done) makes room.
    const auto idle = std::find_if(sessions_.begin(), sessions_.end(), [](const auto& s) {
      return s->phase() == Session::Phase::Head || s->phase() == Session::Phase::Linger;
    });
    if (idle == sessions_.end()) {
      ErrorCode ec;
      socket.close(ec);
      return;
    }
    Close(**idle);
  }
  auto session = std::make_shared<Session>(*this, std::move(socket));
  session->entry = sessions_.insert(sessions_.end(), session);
  session->Start();
}

BoundedServer::BoundedServer(Handlers handlers) : impl_(std::make_unique<Impl>(std::move(handlers))) {}
BoundedServer::~BoundedServer() = default;
int BoundedServer::Bind(int port) { return impl_->Bind(port); }
bool BoundedServer::Run() { return impl_->Run(); }
void BoundedServer::Stop() { impl_->Stop(); }

}  // namespace kvtool
