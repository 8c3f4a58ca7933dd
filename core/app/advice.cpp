#include "core/app/advice.h"

#include "core/app/connect_rules.h"

namespace vpn::app {

namespace {

struct Advice {
  std::uint32_t code;
  const char* text;
};

// The certificate errors of an SSTP dial: the trust system's own numbers.
constexpr std::uint32_t kCertExpired = 0x800B0101;
constexpr std::uint32_t kCertUntrustedRoot = 0x800B0109;
constexpr std::uint32_t kCertNameMismatch = 0x800B010F;
constexpr std::uint32_t kNoRevocationCheck = 0x80092012;
constexpr std::uint32_t kRevocationOffline = 0x80092013;

const Advice kAdvice[] = {
    {623, "系统中找不到这个连接的设置：请再点一次连接；仍不行请重新启动本程序。"},
    {628, "连接在完成前被服务器断开：请稍后再试，或换一台服务器或另一种连接协议。"},
    {633, "VPN端口正被其他连接占用或没有设置好：请断开其他VPN连接，或重新启动电脑后再试。"},
    {691,
     "用户名或密码不对，或帐户已到期：请核对用户名和密码（注意大小写）后再连接，仍不行请联系客服"
     "。"},
    {718, "服务器没有在规定时间内完成验证：请稍后再试，或换一台服务器。"},
    {720, "电脑的VPN网络组件没能完成连接设置：请重新启动电脑后再试；仍不行请换用另一种连接协议。"},
    {789,
     "L2TP连接的安全协商失败：请确认预共享密钥正确，重新启动电脑后再试，或换用另一种连接协议。"},
    {800, "连不上服务器：请检查网络是否正常、服务器地址是否填写正确，或换一台服务器再试。"},
    {806,
     "已连到服务器，但VPN数据被防火墙或路由器拦截（GRE不通）：请在防火墙和路由器中放行PPTP，或换用L"
     "2TP等其他协议。"},
    {809,
     "服务器没有回应，多是防火墙、路由器或网络运营商拦截了VPN：请换一个网络或另一种连接协议再试。"},
    {812,
     "服务器按其策略拒绝了这次连接（验证方式不符或帐户没有拨入权限）：请联系客服确认帐户设置。"},
    {868,
     "找不到服务器的地址（域名解析失败）：请检查服务器名称是否输入正确，以及网络和DNS是否正常。"},
    {13801,
     "电脑不接受服务器的证书（IKEv2）：请确认已安装服务商提供的根证书，并用证书上的服务器名称连接"
     "。"},
    {13806,
     "没有找到可用的计算机证书（IKEv2）：请安装服务商提供的证书后再试，或换用另一种连接协议。"},
    {13868, "IKEv2的安全设置与服务器不一致：请更新系统后再试，或换用另一种连接协议，并联系客服。"},
    {kCertExpired,
     "服务器证书已过期，或电脑的日期时间不对（SSTP）：请把电脑的日期和时间调正确后再试，仍不行请联"
     "系客服。"},
    {kCertUntrustedRoot, "服务器证书的根证书不受信任（SSTP）：请安装服务商提供的根证书后再试。"},
    {kCertNameMismatch,
     "服务器名称与证书上的不一致（SSTP）：请用服务商给出的服务器名称连接，不要用IP地址。"},
    {kNoRevocationCheck,
     "无法检查服务器证书是否已被吊销（SSTP）：请确认网络能访问证书的吊销列表，或联系客服。"},
    {kRevocationOffline,
     "无法检查服务器证书是否已被吊销（SSTP）：请确认网络能访问证书的吊销列表，或联系客服。"},
};

const char kOtherCertificateError[] =
    "服务器证书没有通过验证（SSTP）：请检查电脑的日期和时间，安装服务商提供的根证书后再试。";
const char kGeneral[] = "请稍后再试；问题一直存在时，请把“连接日志”中的记录发给客服。";

// The trust system's certificate errors (0x800B01xx) and the message and revocation
// errors of the cryptography functions (0x800920xx).
bool IsCertificateError(std::uint32_t code) {
  return (code & 0xFFFFFF00u) == 0x800B0100u || (code & 0xFFFFFF00u) == 0x80092000u;
}

}  // namespace

std::string DialAdvice(std::int64_t code) {
  if (code == 0) return {};
  // The asynchronous dial hands errors over as signed 32-bit values.
  const auto key = static_cast<std::uint32_t>(code);
  for (const Advice& a : kAdvice)
    if (a.code == key) return a.text;
  if (IsCertificateError(key)) return kOtherCertificateError;
  return kGeneral;
}

std::string DialFailureText(std::int64_t code) {
  return DialFailureStatus(code) + "\r\n" + DialAdvice(code);
}

}  // namespace vpn::app
