// The dictionary's contents. The group and interface hints are the opening of each object's
// DESCRIPTION clause in its MIB module (RFC 1213, RFC 2863, RFC 2662), keeping the module's own
// line breaks so the tooltips read like the MIB. Everything here is constant-initialised, so
// other translation units may read the tables during their own static initialisation.
#include "MIBConstants.h"

#include "snmp/Codec.h"

#include <cstdint>

namespace mib {

constinit const TMIBEntry SystemMIB[SystemMIBLength] = {
    {"UpTime", "1.3.0",
     "The time (in hundredths of a second) since the\nnetwork management portion of the system "
     "was last\nre-initialized."},
    {"Contact", "1.4.0",
     "The textual identification of the contact person\nfor this managed node, together with "
     "information\non how to contact this person."},
    {"Name", "1.5.0",
     "An administratively-assigned name for this\nmanaged node.  By convention, this is the "
     "node's\nfully-qualified domain name."},
    {"Location", "1.6.0",
     "The physical location of this node (e.g.,\n`telephone closet, 3rd floor')."},
    {"Services", "1.7.0", "The services that this node offers"},
    {"MTU", "2.2.1.4.",
     "The size of the largest packet which can be\nsent/received on the LAN interface, "
     "specified\nin bytes."},
    {"MTU", "2.2.1.4.",
     "The size of the largest packet which can be\nsent/received on the WAN interface, "
     "specified\nin bytes."},
    {"Data In", "31.1.1.1.6.",
     "The total number of bytes received on the LAN.\nnote: this value is retrieved from the ifx "
     "(64 bit)\ninterface so does not suffer from a 4GB limitation"},
    {"Data Out", "31.1.1.1.10.",
     "The total number of bytes sent through the LAN.\nnote: this value is retrieved from the "
     "ifx (64 bit)\ninterface so does not suffer from a 4GB limitation"},
    {"Data In", "31.1.1.1.6.",
     "The total number of bytes received on the WAN.\nnote: this value is retrieved from the ifx "
     "(64 bit)\ninterface so does not suffer from a 4GB limitation"},
    {"Data Out", "31.1.1.1.10.",
     "The total number of bytes sent through the WAN.\nnote: this value is retrieved from the "
     "ifx (64 bit)\ninterface so does not suffer from a 4GB limitation"},
    {"Speed", "10.94.1.1.5.1.2.", "The current upstream speed in Kbits per second"},
    {"Attenuation", "10.94.1.1.3.1.5.",
     "The difference between the power transmitted by the\nmodem and the power received by the "
     "exchange, expressed\nin dB"},
    {"Output Pwr", "10.94.1.1.3.1.7.", "The current output power of the modem, expressed in dBm"},
    {"S/N Ratio", "10.94.1.1.3.1.4.",
     "Noise margin seen by the exchange with respect to the\nsignal received from the modem, "
     "expressed in dB"},
    {"Speed", "10.94.1.1.4.1.2.", "The current downstream speed in Kbits per second"},
    {"Attenuation", "10.94.1.1.2.1.5.",
     "The difference between the power transmitted by the\nexchange and the power received by "
     "the modem, expressed\nin dB"},
    {"Output Pwr", "10.94.1.1.2.1.7.",
     "The current output power of the exchange, expressed in dBm"},
    {"S/N Ratio", "10.94.1.1.2.1.4.",
     "Noise margin seen by the modem with respect to the\nsignal received from the exchange, "
     "expressed in dB"},
    {"LAN Status", "2.2.1.8.", "no hint"},
    {"WAN Status", "2.2.1.8.", "no hint"},
    {"Data In", "2.2.1.10.",
     "The total number of bytes received on the WAN.\nnote: because the ifx WAN interface seems "
     "to be\nunavailable (PPPoA enabled?) this number is 32bit\nand suffers from a 4GB "
     "limitation"},
    {"Data Out", "2.2.1.16.",
     "The total number of bytes sent through the WAN.\nnote: because the ifx WAN interface seems "
     "to be\nunavailable (PPPoA enabled?) this number is 32bit\nand suffers from a 4GB "
     "limitation"},
    {"PPP LastChange", "2.2.1.9.", "no hint"},
};

constinit const TMIBEntry IpMIB[IpMIBLength] = {
    {"Forwarding", "4.1.0",
     "The indication of whether this entity is acting\nas an IP gateway in respect to the "
     "forwarding of\ndatagrams received by, but not addressed to, this\nentity."},
    {"DefaultTTL", "4.2.0",
     "The default value inserted into the Time-To-Live\nfield of the IP header of datagrams "
     "originated at\nthis entity, whenever a TTL value is not supplied\nby the transport layer "
     "protocol."},
    {"InReceives", "4.3.0",
     "The total number of input datagrams received from\ninterfaces, including those received in "
     "error."},
    {"InHdrErrors", "4.4.0",
     "The number of input datagrams discarded due to\nerrors in their IP headers, including "
     "bad\nchecksums, version number mismatch, other format\nerrors, time-to-live exceeded, "
     "errors discovered\nin processing their IP options, etc."},
    {"InAddrErrors", "4.5.0",
     "The number of input datagrams discarded because\nthe IP address in their IP header's "
     "destination\nfield was not a valid address to be received at\nthis entity."},
    {"ForwDatagrams", "4.6.0",
     "The number of input datagrams for which this\nentity was not their final IP destination, "
     "as a\nresult of which an attempt was made to find a\nroute to forward them to that final "
     "destination."},
    {"InUnknownProtos", "4.7.0",
     "The number of locally-addressed datagrams\nreceived successfully but discarded because of "
     "an\nunknown or unsupported protocol."},
    {"InDiscards", "4.8.0",
     "The number of input IP datagrams for which no\nproblems were encountered to prevent "
     "their\ncontinued processing, but which were discarded\n(e.g., for lack of buffer space)."},
    {"InDelivers", "4.9.0",
     "The total number of input datagrams successfully\ndelivered to IP user-protocols "
     "(including ICMP)."},
    {"OutRequests", "4.10.0",
     "The total number of IP datagrams which local IP\nuser-protocols (including ICMP) supplied "
     "to IP in\nrequests for transmission."},
    {"OutDiscards", "4.11.0",
     "The number of output IP datagrams for which no\nproblem was encountered to prevent "
     "their\ntransmission to their destination, but which were\ndiscarded (e.g., for lack of "
     "buffer space)."},
    {"OutNoRoutes", "4.12.0",
     "The number of IP datagrams discarded because no\nroute could be found to transmit them to "
     "their\ndestination."},
    {"ReasmTimeout", "4.13.0",
     "The maximum number of seconds which received\nfragments are held while they are "
     "awaiting\nreassembly at this entity."},
    {"ReasmReqds", "4.14.0",
     "The number of IP fragments received which needed\nto be reassembled at this entity."},
    {"ReasmOKs", "4.15.0", "The number of IP datagrams successfully re-\nassembled."},
    {"ReasmFails", "4.16.0",
     "The number of failures detected by the IP re-\nassembly algorithm (for whatever reason: "
     "timed\nout, errors, etc)."},
    {"FragOKs", "4.17.0",
     "The number of IP datagrams that have been\nsuccessfully fragmented at this entity."},
    {"FragFails", "4.18.0",
     "The number of IP datagrams that have been\ndiscarded because they needed to be fragmented "
     "at\nthis entity but could not be, e.g., because their\nDon't Fragment flag was set."},
    {"FragCreates", "4.19.0",
     "The number of IP datagram fragments that have\nbeen generated as a result of "
     "fragmentation at\nthis entity."},
    {"RoutingDiscards", "4.23.0",
     "The number of routing entries which were chosen\nto be discarded even though they are "
     "valid."},
};

constinit const TMIBEntry IcmpMIB[IcmpMIBLength] = {
    {"InMsgs", "5.1.0", "The total number of ICMP messages which the\nentity received."},
    {"InErrors", "5.2.0",
     "The number of ICMP messages which the entity\nreceived but determined as having "
     "ICMP-specific\nerrors (bad ICMP checksums, bad length, etc.)."},
    {"InDestUnreachs", "5.3.0", "The number of ICMP Destination Unreachable\nmessages received."},
    {"InTimeExcds", "5.4.0", "The number of ICMP Time Exceeded messages\nreceived."},
    {"InParmProbs", "5.5.0", "The number of ICMP Parameter Problem messages\nreceived."},
    {"InSrcQuenchs", "5.6.0", "The number of ICMP Source Quench messages\nreceived."},
    {"InRedirects", "5.7.0", "The number of ICMP Redirect messages received."},
    {"InEchos", "5.8.0", "The number of ICMP Echo (request) messages\nreceived."},
    {"InEchoReps", "5.9.0", "The number of ICMP Echo Reply messages received."},
    {"InTimestamps", "5.10.0", "The number of ICMP Timestamp (request) messages\nreceived."},
    {"InTimestampReps", "5.11.0", "The number of ICMP Timestamp Reply messages\nreceived."},
    {"InAddrMasks", "5.12.0", "The number of ICMP Address Mask Request messages\nreceived."},
    {"InAddrMaskReps", "5.13.0", "The number of ICMP Address Mask Reply messages\nreceived."},
    {"OutMsgs", "5.14.0",
     "The total number of ICMP messages which this\nentity attempted to send."},
    {"OutErrors", "5.15.0",
     "The number of ICMP messages which this entity did\nnot send due to problems discovered "
     "within ICMP\nsuch as a lack of buffers."},
    {"OutDestUnreachs", "5.16.0", "The number of ICMP Destination Unreachable\nmessages sent."},
    {"OutTimeExcds", "5.17.0", "The number of ICMP Time Exceeded messages sent."},
    {"OutParmProbs", "5.18.0", "The number of ICMP Parameter Problem messages\nsent."},
    {"OutSrcQuenchs", "5.19.0", "The number of ICMP Source Quench messages sent."},
    {"OutRedirects", "5.20.0",
     "The number of ICMP Redirect messages sent.  For a\nhost, this object will always be zero, "
     "since hosts\ndo not send redirects."},
    {"OutEchos", "5.21.0", "The number of ICMP Echo (request) messages sent."},
    {"OutEchoReps", "5.22.0", "The number of ICMP Echo Reply messages sent."},
    {"OutTimestamps", "5.23.0", "The number of ICMP Timestamp (request) messages\nsent."},
    {"OutTimestampReps", "5.24.0", "The number of ICMP Timestamp Reply messages\nsent."},
    {"OutAddrMasks", "5.25.0", "The number of ICMP Address Mask Request messages\nsent."},
    {"OutAddrMaskReps", "5.26.0", "The number of ICMP Address Mask Reply messages\nsent."},
};

constinit const TMIBEntry TcpMIB[TcpMIBLength] = {
    {"RtoAlgorithm", "6.1.0",
     "The algorithm used to determine the timeout value\nused for retransmitting unacknowledged "
     "octets."},
    {"RtoMin", "6.2.0",
     "The minimum value permitted by a TCP\nimplementation for the retransmission "
     "timeout,\nmeasured in milliseconds."},
    {"RtoMax", "6.3.0",
     "The maximum value permitted by a TCP\nimplementation for the retransmission "
     "timeout,\nmeasured in milliseconds."},
    {"MaxConn", "6.4.0",
     "The limit on the total number of TCP connections\nthe entity can support.  In entities "
     "where the\nmaximum number of connections is dynamic, this\nobject should contain the value "
     "-1."},
    {"ActiveOpens", "6.5.0",
     "The number of times TCP connections have made a\ndirect transition to the SYN-SENT state "
     "from the\nCLOSED state."},
    {"PassiveOpens", "6.6.0",
     "The number of times TCP connections have made a\ndirect transition to the SYN-RCVD state "
     "from the\nLISTEN state."},
    {"AttemptFails", "6.7.0",
     "The number of times TCP connections have made a\ndirect transition to the CLOSED state "
     "from either\nthe SYN-SENT state or the SYN-RCVD state, plus the\nnumber of times TCP "
     "connections have made a direct\ntransition to the LISTEN state from the "
     "SYN-RCVD\nstate."},
    {"EstabResets", "6.8.0",
     "The number of times TCP connections have made a\ndirect transition to the CLOSED state "
     "from either\nthe ESTABLISHED state or the CLOSE-WAIT state."},
    {"CurrEstab", "6.9.0",
     "The number of TCP connections for which the\ncurrent state is either ESTABLISHED or "
     "CLOSE-\nWAIT."},
    {"InSegs", "6.10.0",
     "The total number of segments received, including\nthose received in error.  This count "
     "includes\nsegments received on currently established\nconnections."},
    {"OutSegs", "6.11.0",
     "The total number of segments sent, including\nthose on current connections but excluding "
     "those\ncontaining only retransmitted octets."},
    {"RetransSegs", "6.12.0",
     "The total number of segments retransmitted - that\nis, the number of TCP segments "
     "transmitted\ncontaining one or more previously transmitted\noctets."},
    {"InErrs", "6.14.0",
     "The total number of segments received in error\n(e.g., bad TCP checksums)."},
    {"OutRsts", "6.15.0", "The number of TCP segments sent containing the\nRST flag."},
};

constinit const TMIBEntry UdpMIB[UdpMIBLength] = {
    {"InDatagrams", "7.1.0", "The total number of UDP datagrams delivered to\nUDP users."},
    {"NoPorts", "7.2.0",
     "The total number of received UDP datagrams for\nwhich there was no application at the "
     "destination\nport."},
    {"InErrors", "7.3.0",
     "The number of received UDP datagrams that could\nnot be delivered for reasons other than "
     "the lack\nof an application at the destination port."},
    {"OutDatagrams", "7.4.0", "The total number of UDP datagrams sent from this\nentity."},
};

constinit const TMIBEntry SnmpMIB[SnmpMIBLength] = {
    {"InPkts", "11.1.0",
     "The total number of Messages delivered to the\nSNMP entity from the transport service."},
    {"OutPkts", "11.2.0",
     "The total number of SNMP Messages which were\npassed from the SNMP protocol entity to "
     "the\ntransport service."},
    {"InBadVersions", "11.3.0",
     "The total number of SNMP Messages which were\ndelivered to the SNMP protocol entity and "
     "were for\nan unsupported SNMP version."},
    {"InBadCommunityNames", "11.4.0",
     "The total number of SNMP Messages delivered to\nthe SNMP protocol entity which used a "
     "SNMP\ncommunity name not known to said entity."},
    {"InBadCommunityUses", "11.5.0",
     "The total number of SNMP Messages delivered to\nthe SNMP protocol entity which "
     "represented an SNMP\noperation which was not allowed by the SNMP\ncommunity named in the "
     "Message."},
    {"InASNParseErrs", "11.6.0",
     "The total number of ASN.1 or BER errors\nencountered by the SNMP protocol entity "
     "when\ndecoding received SNMP Messages."},
    {"InTooBigs", "11.8.0",
     "The total number of SNMP PDUs which were\ndelivered to the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`tooBig'."},
    {"InNoSuchNames", "11.9.0",
     "The total number of SNMP PDUs which were\ndelivered to the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`noSuchName'."},
    {"InBadValues", "11.10.0",
     "The total number of SNMP PDUs which were\ndelivered to the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`badValue'."},
    {"InReadOnlys", "11.11.0",
     "The total number valid SNMP PDUs which were\ndelivered to the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`readOnly'."},
    {"InGenErrs", "11.12.0",
     "The total number of SNMP PDUs which were\ndelivered to the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`genErr'."},
    {"InTotalReqVars", "11.13.0",
     "The total number of MIB objects which have been\nretrieved successfully by the SNMP "
     "protocol entity\nas the result of receiving valid SNMP Get-Request\nand Get-Next PDUs."},
    {"InTotalSetVars", "11.14.0",
     "The total number of MIB objects which have been\naltered successfully by the SNMP "
     "protocol entity\nas the result of receiving valid SNMP Set-Request\nPDUs."},
    {"InGetRequests", "11.15.0",
     "The total number of SNMP Get-Request PDUs which\nhave been accepted and processed by the "
     "SNMP\nprotocol entity."},
    {"InGetNexts", "11.16.0",
     "The total number of SNMP Get-Next PDUs which have\nbeen accepted and processed by the "
     "SNMP protocol\nentity."},
    {"InSetRequests", "11.17.0",
     "The total number of SNMP Set-Request PDUs which\nhave been accepted and processed by the "
     "SNMP\nprotocol entity."},
    {"InGetResponses", "11.18.0",
     "The total number of SNMP Get-Response PDUs which\nhave been accepted and processed by the "
     "SNMP\nprotocol entity."},
    {"InTraps", "11.19.0",
     "The total number of SNMP Trap PDUs which have\nbeen accepted and processed by the SNMP "
     "protocol\nentity."},
    {"OutTooBigs", "11.20.0",
     "The total number of SNMP PDUs which were\ngenerated by the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`tooBig.'"},
    {"OutNoSuchNames", "11.21.0",
     "The total number of SNMP PDUs which were\ngenerated by the SNMP protocol entity and "
     "for\nwhich the value of the error-status is\n`noSuchName'."},
    {"OutBadValues", "11.22.0",
     "The total number of SNMP PDUs which were\ngenerated by the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`badValue'."},
    {"OutGenErrs", "11.24.0",
     "The total number of SNMP PDUs which were\ngenerated by the SNMP protocol entity and "
     "for\nwhich the value of the error-status field is\n`genErr'."},
    {"OutGetRequests", "11.25.0",
     "The total number of SNMP Get-Request PDUs which\nhave been generated by the SNMP protocol "
     "entity."},
    {"OutGetNexts", "11.26.0",
     "The total number of SNMP Get-Next PDUs which have\nbeen generated by the SNMP protocol "
     "entity."},
    {"OutSetRequests", "11.27.0",
     "The total number of SNMP Set-Request PDUs which\nhave been generated by the SNMP protocol "
     "entity."},
    {"OutGetResponses", "11.28.0",
     "The total number of SNMP Get-Response PDUs which\nhave been generated by the SNMP "
     "protocol entity."},
    {"OutTraps", "11.29.0",
     "The total number of SNMP Trap PDUs which have\nbeen generated by the SNMP protocol "
     "entity."},
    {"EnableAuthenTraps", "11.30.0",
     "Indicates whether the SNMP agent process is\npermitted to generate "
     "authentication-failure\ntraps."},
};

constinit const TMIBEntry IfMIB[IfMIBLength] = {
    {"Descr", "2.2.1.2.",
     "A textual string containing information about the\ninterface.  This string should include "
     "the name of\nthe manufacturer, the product name and the version\nof the hardware "
     "interface."},
    {"Type", "2.2.1.3.",
     "The type of interface, distinguished according to\nthe physical/link protocol(s) "
     "immediately `below'\nthe network layer in the protocol stack."},
    {"Mtu", "2.2.1.4.",
     "The size of the largest datagram which can be\nsent/received on the interface, specified "
     "in\noctets."},
    {"Speed", "2.2.1.5.", "An estimate of the interface's current bandwidth\nin bits per second."},
    {"PhysAddress", "2.2.1.6.",
     "The interface's address at the protocol layer\nimmediately `below' the network layer in "
     "the\nprotocol stack."},
    {"AdminStatus", "2.2.1.7.",
     "The desired state of the interface.  The\ntesting(3) state indicates that no "
     "operational\npackets can be passed."},
    {"OperStatus", "2.2.1.8.",
     "The current operational state of the interface.\nThe testing(3) state indicates that no "
     "operational\npackets can be passed."},
    {"LastChange", "2.2.1.9.",
     "The value of sysUpTime at the time the interface\nentered its current operational "
     "state."},
    {"InOctets", "2.2.1.10.",
     "The total number of octets received on the\ninterface, including framing characters."},
    {"InUcastPkts", "2.2.1.11.",
     "The number of subnetwork-unicast packets\ndelivered to a higher-layer protocol."},
    {"InNUcastPkts", "2.2.1.12.",
     "The number of non-unicast (i.e., subnetwork-\nbroadcast or subnetwork-multicast) "
     "packets\ndelivered to a higher-layer protocol."},
    {"InDiscards", "2.2.1.13.",
     "The number of inbound packets which were chosen\nto be discarded even though no errors had "
     "been\ndetected to prevent their being deliverable to a\nhigher-layer protocol."},
    {"InErrors", "2.2.1.14.",
     "The number of inbound packets that contained\nerrors preventing them from being "
     "deliverable to a\nhigher-layer protocol."},
    {"InUnknownProtos", "2.2.1.15.",
     "The number of packets received via the interface\nwhich were discarded because of an "
     "unknown or\nunsupported protocol."},
    {"OutOctets", "2.2.1.16.",
     "The total number of octets transmitted out of the\ninterface, including framing "
     "characters."},
    {"OutUcastPkts", "2.2.1.17.",
     "The total number of packets that higher-level\nprotocols requested be transmitted to "
     "a\nsubnetwork-unicast address, including those that\nwere discarded or not sent."},
    {"OutNUcastPkts", "2.2.1.18.",
     "The total number of packets that higher-level\nprotocols requested be transmitted to a "
     "non-\nunicast (i.e., a subnetwork-broadcast or\nsubnetwork-multicast) address, including "
     "those\nthat were discarded or not sent."},
    {"OutDiscards", "2.2.1.19.",
     "The number of outbound packets which were chosen\nto be discarded even though no errors "
     "had been\ndetected to prevent their being transmitted."},
    {"OutErrors", "2.2.1.20.",
     "The number of outbound packets that could not be\ntransmitted because of errors."},
    {"OutQLen", "2.2.1.21.", "The length of the output packet queue (in\npackets)."},
};

constinit const TMIBEntry IfXMIB[IfXMIBLength] = {
    {"Name", "31.1.1.1.1.",
     "The textual name of the interface.  The value of this\nobject should be the name of the "
     "interface as assigned\nby the local device and should be suitable for use in\ncommands "
     "entered at the device's `console'."},
    {"InMulticastPkts", "31.1.1.1.2.",
     "The number of packets, delivered by this sub-layer to\na higher (sub-)layer, which were "
     "addressed to a\nmulticast address at this sub-layer."},
    {"InBroadcastPkts", "31.1.1.1.3.",
     "The number of packets, delivered by this sub-layer to\na higher (sub-)layer, which were "
     "addressed to a\nbroadcast address at this sub-layer."},
    {"OutMulticastPkts", "31.1.1.1.4.",
     "The total number of packets that higher-level\nprotocols requested be transmitted, and "
     "which were\naddressed to a multicast address at this sub-layer,\nincluding those that were "
     "discarded or not sent."},
    {"OutBroadcastPkts", "31.1.1.1.5.",
     "The total number of packets that higher-level\nprotocols requested be transmitted, and "
     "which were\naddressed to a broadcast address at this sub-layer,\nincluding those that were "
     "discarded or not sent."},
    {"HCInOctets", "31.1.1.1.6.",
     "The total number of octets received on the interface,\nincluding framing characters.  This "
     "object is a 64-bit\nversion of ifInOctets."},
    {"HCInUcastPkts", "31.1.1.1.7.",
     "The number of packets, delivered by this sub-layer to\na higher (sub-)layer, which were not "
     "addressed to a\nmulticast or broadcast address at this sub-layer.\nThis object is a 64-bit "
     "version of ifInUcastPkts."},
    {"HCInMulticastPkts", "31.1.1.1.8.",
     "The number of packets, delivered by this sub-layer to\na higher (sub-)layer, which were "
     "addressed to a\nmulticast address at this sub-layer.  For a MAC layer\nprotocol, this "
     "includes both Group and Functional\naddresses.  This object is a 64-bit version "
     "of\nifInMulticastPkts."},
    {"HCInBroadcastPkts", "31.1.1.1.9.",
     "The number of packets, delivered by this sub-layer to\na higher (sub-)layer, which were "
     "addressed to a\nbroadcast address at this sub-layer.  This object is a\n64-bit version of "
     "ifInBroadcastPkts."},
    {"HCOutOctets", "31.1.1.1.10.",
     "The total number of octets transmitted out of the\ninterface, including framing "
     "characters.  This object\nis a 64-bit version of ifOutOctets."},
    {"HCOutUcastPkts", "31.1.1.1.11.",
     "The total number of packets that higher-level\nprotocols requested be transmitted, and "
     "which were not\naddressed to a multicast or broadcast address at this\nsub-layer, "
     "including those that were discarded or not\nsent.  This object is a 64-bit version "
     "of\nifOutUcastPkts."},
    {"HCOutMulticastPkts", "31.1.1.1.12.",
     "The total number of packets that higher-level\nprotocols requested be transmitted, and "
     "which were\naddressed to a multicast address at this sub-layer,\nincluding those that were "
     "discarded or not sent.  For\na MAC layer protocol, this includes both Group "
     "and\nFunctional addresses.  This object is a 64-bit version\nof ifOutMulticastPkts."},
    {"HCOutBroadcastPkts", "31.1.1.1.13.",
     "The total number of packets that higher-level\nprotocols requested be transmitted, and "
     "which were\naddressed to a broadcast address at this sub-layer,\nincluding those that were "
     "discarded or not sent.  This\nobject is a 64-bit version of ifOutBroadcastPkts."},
    {"LinkUpDownTrapEnable", "31.1.1.1.14.",
     "Indicates whether linkUp/linkDown traps should be\ngenerated for this interface."},
    {"HighSpeed", "31.1.1.1.15.",
     "An estimate of the interface's current bandwidth in\nunits of 1,000,000 bits per "
     "second."},
    {"PromiscuousMode", "31.1.1.1.16.",
     "This object has a value of false(2) if this interface\nonly accepts packets/frames that "
     "are addressed to this\nstation.  This object has a value of true(1) when "
     "the\nstation accepts all packets/frames transmitted on the\nmedia."},
    {"ConnectorPresent", "31.1.1.1.17.",
     "This object has the value 'true(1)' if the interface\nsublayer has a physical connector "
     "and the value\n'false(2)' otherwise."},
};

// The ATU-C rows carry the labels and hints for both ends of the line; the ATU-R table below
// only supplies the other end's OIDs, in the same order.
constinit const TMIBEntry AtucMIB[AtucMIBLength] = {
    {"InvSerialNumber", "10.94.1.1.2.1.1.",
     "The vendor specific string that identifies the\nvendor equipment."},
    {"InvVendorID", "10.94.1.1.2.1.2.",
     "The vendor ID code is a copy of the binary\nvendor identification field defined by "
     "the\nPHY[10] and expressed as readable characters."},
    {"InvVersionNumber", "10.94.1.1.2.1.3.",
     "The vendor specific version number sent by this ATU\nas part of the initialization "
     "messages."},
    {"CurrSnrMgn", "10.94.1.1.2.1.4.",
     "Noise Margin as seen by this ATU with respect to its\nreceived signal in tenth dB."},
    {"CurrAtn", "10.94.1.1.2.1.5.",
     "Measured difference in the total power transmitted by\nthe peer ATU and the total power "
     "received by this ATU."},
    {"CurrStatus", "10.94.1.1.2.1.6.",
     "Indicates current state of the ATUC line.  This is a\nbit-map of possible conditions."},
    {"CurrOutputPwr", "10.94.1.1.2.1.7.",
     "Measured total output power transmitted by this ATU.\nThis is the measurement that was "
     "reported during\nthe last activation sequence."},
    {"CurrAttainableRate", "10.94.1.1.2.1.8.",
     "Indicates the maximum currently attainable data rate\nby the ATU.  This value will be "
     "equal or greater than\nthe current line rate."},
    {"ChanInterleaveDelay", "10.94.1.1.4.1.1.", "Interleave Delay for this channel."},
    {"ChanCurrTxRate", "10.94.1.1.4.1.2.", "Actual transmit rate on this channel."},
    {"ChanPrevTxRate", "10.94.1.1.4.1.3.",
     "The rate at the time of the last\nadslAtucRateChangeTrap event."},
    {"ChanCrcBlockLength", "10.94.1.1.4.1.4.",
     "Indicates the length of the channel data-block\non which the CRC operates."},
};

constinit const TMIBEntry AturMIB[AtucMIBLength] = {
    {"", "10.94.1.1.3.1.1.", ""}, {"", "10.94.1.1.3.1.2.", ""}, {"", "10.94.1.1.3.1.3.", ""},
    {"", "10.94.1.1.3.1.4.", ""}, {"", "10.94.1.1.3.1.5.", ""}, {"", "10.94.1.1.3.1.6.", ""},
    {"", "10.94.1.1.3.1.7.", ""}, {"", "10.94.1.1.3.1.8.", ""}, {"", "10.94.1.1.5.1.1.", ""},
    {"", "10.94.1.1.5.1.2.", ""}, {"", "10.94.1.1.5.1.3.", ""}, {"", "10.94.1.1.5.1.4.", ""},
};

constinit const std::string_view ForwardingText[3] = {"0", "forwarding(1)", "non-forwarding(2)"};
constinit const std::string_view RtoAlgorithmText[5] = {"0", "other(1)", "constant(2)", "rsre(3)",
                                                        "vanj(4)"};
constinit const std::string_view EnableText[3] = {"0", "enabled(1)", "disabled(2)"};
constinit const std::string_view UpDownText[4] = {"0", "up(1)", "down(2)", "testing(3)"};
constinit const std::string_view TruthText[3] = {"0", "true(1)", "false(2)"};
constinit const std::string_view RouteTypeText[5] = {"0", "other(1)", "invalid(2)", "direct(3)",
                                                     "indirect(4)"};
constinit const std::string_view RouteProtoText[15] = {
    "0",         "other(1)",      "local(2)",      "netmgmt(3)", "icmp(4)",
    "egp(5)",    "ggp(6)",        "hello(7)",      "rip(8)",     "is-is(9)",
    "es-is(10)", "ciscoIgrp(11)", "bbnSpfIgp(12)", "ospf(13)",   "bgp(14)"};
constinit const std::string_view NetToMediaTypeText[5] = {"0", "other(1)", "invalid(2)",
                                                          "dynamic(3)", "static(4)"};
constinit const std::string_view TcpConnStateText[13] = {"0",
                                                         "closed(1)",
                                                         "listen(2)",
                                                         "synSent(3)",
                                                         "synReceived(4)",
                                                         "established(5)",
                                                         "finWait1(6)",
                                                         "finWait2(7)",
                                                         "closeWait(8)",
                                                         "lastAck(9)",
                                                         "closing(10)",
                                                         "timeWait(11)",
                                                         "deleteTCB(12)"};

std::string EnumLookup(std::span<const std::string_view> table, std::string_view value) {
    // Saturating, so a huge number can never wrap round into a small table index.
    const int64_t n = snmp::LeadingInteger(value);
    if (n >= 0 && static_cast<uint64_t>(n) < table.size()) return std::string(table[n]);
    return std::string(value);
}

constinit const std::string_view TableNames[6] = {
    "none", "ipAddressTable", "ipRouteTable", "ipNetToMediaTable", "tcpConnTable", "udpTable"};

constinit const std::string_view IpAddrColumns[5] = {
    "ipAdEntAddr\t\t", "ipAdEntIfIndex\t\t", "ipAdEntNetMask\t\t", "ipAdEntBcastAddr      \t",
    "ipAdEntReasmMaxSize\t"};
constinit const std::string_view IpRouteColumns[13] = {
    "ipRouteDest\t\t",    "ipRouteIfIndex\t\t", "ipRouteMetric1\t\t", "ipRouteMetric2\t\t",
    "ipRouteMetric3\t\t", "ipRouteMetric4\t\t", "ipRouteNextHop\t\t", "ipRouteType\t\t",
    "ipRouteProto\t\t",   "ipRouteAge\t\t",     "ipRouteMask\t\t",    "ipRouteMetric5\t\t",
    "ipRouteInfo\t\t"};
constinit const std::string_view IpNetToMediaColumns[4] = {
    "ipNetToMediaIfIndex \t", "ipNetToMediaPhysAddress\t", "ipNetToMediaNetAddress\t",
    "ipNetToMediaType   \t"};
constinit const std::string_view TcpConnColumns[5] = {"tcpConnState\t\t", "tcpConnLocalAddress\t",
                                                      "tcpConnLocalPort\t\t", "tcpConnRemAddress\t",
                                                      "tcpConnRemPort\t\t"};
constinit const std::string_view UdpColumns[2] = {"udpLocalAddress\t\t", "udpLocalPort\t\t"};

constinit const std::string_view TableHints[6] = {
    "The table of addressing information relevant to\nthis entitys IP addresses.",
    "This entitys IP Routing table.",
    "The IP Address Translation table used for mapping\nfrom IP addresses to physical addresses.",
    "A table containing TCP connection-specific\ninformation.",
    "A table containing UDP listener information.",
    "Save the currently displayed table to a file.",
};

constinit const std::string_view SetHint =
    "Send this string to the router, replacing the previous\ncontents. If the string reverts to "
    "its previous setting,\ncheck that you are using the correct read/write\ncommunity setting.";

constinit const std::string_view RefreshHint = "Refresh the contents of this page.";

constinit const std::string_view IntfHints[4] = {
    "Show data for the ethernet interface, retrieved\nfrom the routers interface table.",
    "Show data for the WAN interface, retrieved from\nthe routers interface table.",
    "Show additional data for the ethernet interface,\nretrieved from the routers ifx table.",
    "Show additional data for the WAN interface,\nretrieved from the routers ifx table.",
};

constinit const std::string_view AdslHints[2] = {
    "Show information about the ADSL connection, as seen\nby the local modem.",
    "Show information about the ADSL connection, as seen\nby the remote exchange.",
};

constinit const std::string_view SysLogHints[4] = {
    "Clear the contents of the SysLog window. Does not\naffect the contents of the Syslog file if "
    "the file\noption is enabled.",
    "Save the contents of the SysLog window to a text file.",
    "Undock the SysLog page from the main application,\nie: create a resizable floating SysLog "
    "window.",
    "Dock the SysLog floating window with the main application.",
};

constinit const std::string_view OptionsHints[17] = {
    "Enter the IP address of the Corvane R62GX/R63  router\nhere, the factory default IP address "
    "is 192.168.1.254 ",
    "Enter the routers SNMP community name here, think of\nthis as a password to gain access to "
    "the routers\nSNMP agent. The factory defaults are \"meadow\" for\nread access and "
    "\"lanterns\" for read/write access.",
    "Click here to retrieve SNMP data from the router\nusing the current IP address and "
    "community settings.",
    "Display data exactly as it is returned from the router\nwithout any translation, may need a "
    "refresh to take\neffect.",
    "Toggles display of titles/data from centred to\nright/left justify, according to user "
    "preference.",
    "Play a sound on successfull and unsuccessfull connection\nattempts.",
    "Hide the LineScope task bar icon when minimised,\nclick the tray icon to restore LineScope.",
    "Start the LineScope minimised (to start hidden and\nminimised, enable this option and the "
    "\"Hide when\nminimised\" option",
    "Automatically starts LineScope when Windows starts.",
    "Put the SysLog Server into listening state on port 514,\nready to receive SysLog messages "
    "from router.",
    "Play a sound upon arrival of new message from router",
    // "?\?" keeps the three question marks from reading as a trigraph under older dialects.
    "Removes the <?\?\?> process ID from Syslog messages.",
    "Adds remote IP address and remote port number to\nSysLog messages. This is usefull if more "
    "than one\ndevice is sending SysLog messages to the server.",
    "If enabled, SysLog messages will be sent to a file as\nthey arrive. If the file exists then "
    "the message is\nappended. If the file does not exist it is created.",
    "Append Date stamp to SysLog filename. This causes a\nnew file to be created for each day the "
    "SysLog server\nis active.",
    "Set filename and save path of SysLog file.",
    "Set the time interval (in seconds) for the automatic\nrefresh of the General Info page. The "
    "max interval is\n600 seconds (10 minutes) while a setting of 0 disables\nthe auto refresh.",
};

} // namespace mib
