-- Creates an order with the given status under the next PEDIDO_ID of
-- Infra_Chave, records the insertion (entity 172, operation 1) and answers
-- the new key. The caller passes no client, so Cliente_ID stays NULL.
-- Without a counter, or when the next key is already taken, nothing is
-- written and the answer is RETORNO 1.
CREATE PROCEDURE SP_QBX_INC_PEDIDO_OLT1 (@TAB_STATUS_ID INTEGER, @NUM_PEDIDO_EXTERNO TEXT, @FORNECEDOR_ID INTEGER,
                                         @USUARIO_ID INTEGER)
AS
UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1
 WHERE NOME_COLUNA = 'PEDIDO_ID'
   AND NOT EXISTS (SELECT 1 FROM PEDIDO WHERE PEDIDO_ID = Infra_Chave.ULTIMO_VALOR + 1);
INSERT INTO PEDIDO (PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID)
SELECT ULTIMO_VALOR, 1, @TAB_STATUS_ID, @NUM_PEDIDO_EXTERNO, @FORNECEDOR_ID, NULL
  FROM Infra_Chave
 WHERE NOME_COLUNA = 'PEDIDO_ID' AND changes() = 1;
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
SELECT 172, 1, @USUARIO_ID, ULTIMO_VALOR, julianday('now', 'localtime')
  FROM Infra_Chave
 WHERE NOME_COLUNA = 'PEDIDO_ID' AND changes() = 1;
SELECT CASE WHEN written = 1 THEN 0 ELSE 1 END AS RETORNO,
       CASE WHEN written = 1 THEN '' ELSE 'Não foi possível gerar a chave PEDIDO_ID.' END AS MSG_RET,
       CASE WHEN written = 1 THEN (SELECT ULTIMO_VALOR FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID')
            ELSE 0 END AS PEDIDO_ID
  FROM (SELECT changes() AS written);
