#pragma once

#include <string>

namespace testsupport::keys {

// Made with the minisign 0.11 command: `minisign -G -W`, then `minisign -S -t serial=5` (prehashed)
// and `minisign -S -l -t serial=6` (legacy) over kMessage.
inline const std::string kMessage = "hello\n";
inline const std::string kPublicKeyFile =
    "untrusted comment: minisign public key CACEBB1C84D317D0\n"
    "RWTQF9OEHLvOyplea0bwJUWCVEQP5SL05eYgmFNZA0/JC46KN6qhkTYn\n";
inline const std::string kSecretKeyFile =
    "untrusted comment: minisign encrypted secret key\n"
    "RWQAAEIyAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA0BfThBy7zspHf7sIahLoFyk9elptiCl/"
    "uqsY8TIwjiYx"
    "V3GgX94uAplea0bwJUWCVEQP5SL05eYgmFNZA0/JC46KN6qhkTYnAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n";
inline const std::string kPrehashedSignature =
    "untrusted comment: signature from minisign secret key\n"
    "RUTQF9OEHLvOyjQYUfZxFBErzAeHmA8U72/p81WCklh/VUELPqSB68peCnKVSypMdEpVPojP2ipoxHxt5Eqb1ZJrGAPW8miIngE=\n"
    "trusted comment: serial=5\n"
    "mePY1GyC98GNW9mD97MDjtdQIfz+CfH2QcbjRxW0Nb5HWsOuYdPla0NTdY7ZdHy+DkqpQ3uPMkffqdgeEYrjCg==\n";
inline const std::string kLegacySignature =
    "untrusted comment: signature from minisign secret key\n"
    "RWTQF9OEHLvOyqIc6AhEVsmJO/o35xoiWjitN0tnoGVrEONJlxYIpMpU0FsiTexp8dd1gYAyKQ8Y9pbNQulotTsvM6X5pHI3/QM=\n"
    "trusted comment: serial=6\n"
    "dB87sanQglqFwHNu9IMgcZCMeaL4eBrcmo47tjAdLAx6NNQnLIs+yPYtLwSsRYQeInBg76SxsJJ/2abiUatWCw==\n";
// Another key pair (id 1D2D7B0E7B4D6944).
inline const std::string kOtherPublicKey = "RWREaU17DnstHcgWupdooVCZsJFmSkvM/5iUF1wSnfwKXdZfUOYNK44M";
inline const std::string kOtherSecretKeyFile =
    "untrusted comment: minisign encrypted secret key\n"
    "RWQAAEIyAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAARGlNew57LR3CYEBa/4Z+q7ojmQJ0m/tnShyOn2xR"
    "O1oX/QVcoeL9IsgWupdooVCZsJFmSkvM/5iUF1wSnfwKXdZfUOYNK44MAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=\n";

}  // namespace testsupport::keys
